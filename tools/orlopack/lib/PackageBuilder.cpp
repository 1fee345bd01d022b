// BuildPackage: source tree -> cabinet set -> properties -> executable with payload.
#include <windows.h>

#include <wincrypt.h>

#include <algorithm>
#include <cwctype>
#include <list>
#include <map>

#include "CabinetHeader.h"
#include "CabinetWriter.h"
#include "IniDocument.h"
#include "OrloPack.h"
#include "OutputStaging.h"
#include "PackText.h"
#include "PackageProperties.h"
#include "SourceTree.h"
#include "settings/Payload.h"
#include "settings/PayloadWriter.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/WideFormat.h"
#include "validation/ExtractorValidator.h"

namespace orlopack {

namespace {

constexpr wchar_t kPropertiesName[] = L"Properties_Orlo.ini";
constexpr wchar_t kSingleCabinetName[] = L"WebCab1";
constexpr size_t kMaxPathWarnings = 10;

struct Settings {
    IniDocument doc;
    std::wstring baseName;
    uint64_t partSize = 0;
    uint16_t setId = 0;
    std::wstring stub;
    std::vector<PayloadEntry> languages; // Defaultx.ulf first, then by LCID
    std::wstring topImage;               // entry names
    std::wstring bottomImage;
    std::vector<PayloadEntry> images;
    std::vector<PayloadEntry> documents;
};

bool Fail(BuildReport& report, const std::wstring& error)
{
    report.error = error;
    return false;
}

bool LoadTemplate(const BuildOptions& options, IniDocument& doc, BuildReport& report)
{
    std::wstring text = options.templateText;
    std::wstring error;
    const std::wstring name = options.templatePath.empty() ? L"the template text" : options.templatePath;
    if (!options.templatePath.empty()) {
        std::vector<uint8_t> bytes;
        if (!ReadWholeFile(options.templatePath, bytes, error)) {
            return Fail(report, L"the properties template: " + error);
        }
        if (!IniDocument::DecodeText(bytes, text, error)) {
            return Fail(report,
                        FormatW(L"the properties template %ls is not an INI file: %ls", name.c_str(), error.c_str()));
        }
    } else if (text.empty()) {
        return Fail(report, L"no properties template given");
    }
    if (!doc.Parse(text, true, error)) {
        return Fail(report,
                    FormatW(L"the properties template %ls is not an INI file: %ls", name.c_str(), error.c_str()));
    }
    if (doc.Get(L"Package", L"Name").empty()) {
        report.warnings.push_back(L"the template sets no [Package] Name; the package logs and offers an empty name");
    }
    return true;
}

bool ResolveNameAndSize(const BuildOptions& options, Settings& settings, BuildReport& report)
{
    std::wstring base = options.baseName;
    if (base.empty()) {
        base = settings.doc.Get(L"Package", L"PackageFileName");
        if (EndsWithNoCase(base, L".exe")) {
            base.resize(base.size() - 4);
        }
    }
    if (base.empty()) {
        base = settings.doc.Get(L"Package", L"Name");
    }
    if (base.empty()) {
        return Fail(report, L"no base name for the package: give one, or set [Package] PackageFileName or Name in "
                            L"the template");
    }
    const std::wstring nameError = CheckBaseName(base);
    if (!nameError.empty()) {
        return Fail(report, nameError);
    }
    settings.baseName = base;

    uint64_t size = options.partSize;
    std::wstring source = L"the part size";
    if (size == 0) {
        const std::wstring text = settings.doc.Get(L"Package", L"PartSize");
        if (!text.empty()) {
            std::wstring error;
            if (!ParseSize(text, size, error)) {
                return Fail(report, L"the template's [Package] PartSize: " + error);
            }
            source = L"the template's [Package] PartSize";
        } else {
            size = kDefaultPartSize;
        }
    }
    if (!options.singleFile) {
        if (size < kMinPartSize) {
            return Fail(report, FormatW(L"%ls of %ls cannot hold a cabinet header and a data block; the smallest "
                                        L"part size is %ls",
                                        source.c_str(), FormatBytes(size).c_str(), FormatBytes(kMinPartSize).c_str()));
        }
        if (size == kMaxPartSize + 1) {
            report.notices.push_back(L"a part size of 2 GiB is one byte beyond what a cabinet can describe; parts of "
                                     L"2 GiB less one byte are made");
            size = kMaxPartSize;
        } else if (size > kMaxPartSize) {
            return Fail(report, FormatW(L"%ls of %ls is larger than a cabinet can be (at most 2 GiB less one byte)",
                                        source.c_str(), FormatBytes(size).c_str()));
        }
    }
    settings.partSize = options.singleFile ? kMaxPartSize : size;
    return true;
}

bool RandomSetId(uint16_t& id)
{
    HCRYPTPROV provider = 0;
    if (!::CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) {
        return false;
    }
    uint16_t value = 0;
    bool ok = true;
    // 0 means "no set id" to the front end and 0xFFFF "header unreadable": neither may be a set id.
    while (ok && (value == 0 || value == 0xFFFF)) {
        ok = ::CryptGenRandom(provider, sizeof(value), reinterpret_cast<BYTE*>(&value)) != FALSE;
    }
    ::CryptReleaseContext(provider, 0);
    id = value;
    return ok;
}

bool ResolveSetId(const BuildOptions& options, Settings& settings, BuildReport& report)
{
    if (options.setId == 0xFFFF) {
        return Fail(report, L"set id 65535 cannot be used: the front end reads it as \"no readable cabinet header\"");
    }
    if (options.setId != 0) {
        settings.setId = options.setId;
        return true;
    }
    if (!RandomSetId(settings.setId)) {
        return Fail(report, L"no random set id could be made (CryptGenRandom failed); give one");
    }
    return true;
}

bool ResolveStub(const BuildOptions& options, Settings& settings, BuildReport& report)
{
    settings.stub =
        options.stubPath.empty() ? CUtil::GetModuleFolder() + L"\\Tarvex.exe" : FullPathOf(options.stubPath);
    const DWORD attributes = ::GetFileAttributesW(LongPath(settings.stub).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return Fail(report, FormatW(L"the stub %ls was not found%ls", settings.stub.c_str(),
                                    options.stubPath.empty() ? L" (it is looked for beside OrloPack)" : L""));
    }
    return true;
}

// Language files must carry the names the front end looks for and be UTF-16 INI files; UTF-8 ones
// are converted, because the profile functions would read them as ANSI.
bool LoadLanguages(const BuildOptions& options, Settings& settings, BuildReport& report)
{
    std::map<int, PayloadEntry> byLcid;
    for (const std::wstring& path : options.languageFiles) {
        const std::wstring name = CUtil::SplitPath(path, 1);
        const int lcid = LanguageFileLcid(name);
        if (lcid < 0) {
            return Fail(report, FormatW(L"the language file %ls has a name the package does not look for; name "
                                        L"it defaultNNNN.ulf (NNNN = the language id, e.g. default1031.ulf) or "
                                        L"Defaultx.ulf",
                                        path.c_str()));
        }
        if (byLcid.count(lcid) != 0) {
            return Fail(report, FormatW(L"the language file %ls is given twice", name.c_str()));
        }
        std::vector<uint8_t> bytes;
        std::wstring text;
        std::wstring error;
        if (!ReadWholeFile(path, bytes, error)) {
            return Fail(report, L"a language file: " + error);
        }
        if (!IniDocument::DecodeText(bytes, text, error)) {
            return Fail(report, FormatW(L"the language file %ls is not a text file: %ls", path.c_str(), error.c_str()));
        }
        IniDocument doc;
        if (!doc.Parse(text, false, error) || doc.SectionCount() == 0) {
            return Fail(report, FormatW(L"the language file %ls has no [section]", path.c_str()));
        }
        const bool utf16 = bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
        if (!utf16) {
            report.notices.push_back(
                FormatW(L"the language file %ls is stored as UTF-16 with a byte-order mark", name.c_str()));
        }
        if (lcid > 0) {
            const std::wstring id = doc.Get(L"FileInfo", L"ID");
            if (!id.empty() && id != FormatW(L"%d", lcid)) {
                report.warnings.push_back(FormatW(L"the language file %ls says [FileInfo] ID=%ls; the package will "
                                                  L"refuse to load it for language %d",
                                                  name.c_str(), id.c_str(), lcid));
            }
        }
        PayloadEntry entry;
        // The payload stores language files in lower case ("default1031.ulf"), Defaultx.ulf as such.
        entry.name = lcid == 0 ? std::wstring(L"Defaultx.ulf") : FormatW(L"default%d.ulf", lcid);
        entry.type = kPayloadSettingsEntry;
        if (utf16) {
            entry.sourcePath = FullPathOf(path);
        } else {
            entry.data = IniDocument::EncodeUtf16(text);
        }
        byLcid[lcid] = entry;
    }
    for (auto& item : byLcid) {
        settings.languages.push_back(item.second);
    }
    // Offered languages without their file fall back to English at run time: worth a warning.
    std::list<std::wstring> offered;
    CUtil::Split(settings.doc.Get(L"Languages", L"SetupLanguages"), L";", offered);
    for (const std::wstring& item : offered) {
        const int lcid = static_cast<int>(CUtil::ToInt32(item));
        if (lcid != 1033 && lcid > 0 && byLcid.count(lcid) == 0) {
            report.warnings.push_back(FormatW(L"[Languages] SetupLanguages offers %d but no default%d.ulf is packed; "
                                              L"that choice shows English texts",
                                              lcid, lcid));
        }
    }
    return true;
}

bool LoadImage(const std::wstring& path, const wchar_t* key, std::wstring& entryName, Settings& settings,
               BuildReport& report)
{
    if (path.empty()) {
        const std::wstring named = settings.doc.Get(L"Images", key);
        if (!named.empty()) {
            report.warnings.push_back(FormatW(L"the template names [Images] %ls=%ls but no such image is packed; "
                                              L"the package shows none",
                                              key, named.c_str()));
        }
        return true;
    }
    const DWORD attributes = ::GetFileAttributesW(LongPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return Fail(report, FormatW(L"the image %ls was not found", path.c_str()));
    }
    std::vector<uint8_t> bytes;
    std::wstring error;
    if (!ReadWholeFile(path, bytes, error)) {
        return Fail(report, L"an image: " + error);
    }
    entryName = CUtil::SplitPath(path, 1);
    for (const PayloadEntry& other : settings.images) {
        if (EqualsNoCase(other.name, entryName)) {
            return Fail(report, FormatW(L"the top and bottom images are both named %ls; give them different names",
                                        entryName.c_str()));
        }
    }
    if (EqualsNoCase(entryName, kPropertiesName) || LanguageFileLcid(entryName) >= 0) {
        return Fail(report, FormatW(L"the image %ls has the name of a settings file", path.c_str()));
    }
    PayloadEntry entry;
    entry.name = entryName;
    entry.type = kPayloadSettingsEntry;
    entry.data = std::move(bytes);
    settings.images.push_back(std::move(entry));
    return true;
}

// License documents go into the settings folder under their own names, where the wizard's license
// page looks for what [LicenseFiles] and [SecurityLicenseFiles] name.
bool LoadDocuments(const BuildOptions& options, Settings& settings, BuildReport& report)
{
    for (const std::wstring& path : options.documentFiles) {
        const std::wstring name = CUtil::SplitPath(path, 1);
        if (!EndsWithNoCase(name, L".rtf") && !EndsWithNoCase(name, L".txt")) {
            return Fail(report, FormatW(L"the document %ls is neither .rtf nor .txt; the license page shows only "
                                        L"those",
                                        path.c_str()));
        }
        const auto sameName = [&name](const PayloadEntry& entry) { return EqualsNoCase(entry.name, name); };
        if (EqualsNoCase(name, kPropertiesName) || std::any_of(settings.images.begin(), settings.images.end(), sameName) ||
            std::any_of(settings.documents.begin(), settings.documents.end(), sameName)) {
            return Fail(report, FormatW(L"the document %ls has the name of another settings file", path.c_str()));
        }
        PayloadEntry entry;
        entry.name = name;
        entry.type = kPayloadSettingsEntry;
        std::wstring error;
        if (!ReadWholeFile(path, entry.data, error)) {
            return Fail(report, L"a document: " + error);
        }
        settings.documents.push_back(std::move(entry));
    }
    for (const wchar_t* section : {L"LicenseFiles", L"SecurityLicenseFiles"}) {
        for (const auto& [key, value] : settings.doc.Keys(section)) {
            const auto named = [&value](const PayloadEntry& entry) { return EqualsNoCase(entry.name, value); };
            if (!value.empty() && std::none_of(settings.documents.begin(), settings.documents.end(), named)) {
                report.warnings.push_back(FormatW(L"the template names [%ls] %ls=%ls but no such document is "
                                                  L"packed; the license page leaves it out",
                                                  section, key.c_str(), value.c_str()));
            }
        }
    }
    return true;
}

void CheckAutoLaunch(const IniDocument& doc, const SourceScan& scan, BuildReport& report)
{
    for (const auto& [key, value] : doc.Keys(L"Runtime")) {
        if (!StartsWithNoCase(key, L"AutoLaunch") || key.size() > 13 || value.empty() ||
            value.find_first_of(L"%[") != std::wstring::npos || (value.size() > 1 && value[1] == L':')) {
            continue;
        }
        const std::wstring wanted = value[0] == L'\\' ? value : L"\\" + value;
        const bool found = std::any_of(scan.files.begin(), scan.files.end(),
                                       [&](const SourceFile& file) { return EqualsNoCase(file.storedName, wanted); });
        const bool digitsOnly = key.size() == 10 || std::all_of(key.begin() + 10, key.end(), iswdigit);
        if (!found && digitsOnly) {
            report.warnings.push_back(
                FormatW(L"[Runtime] %ls=%ls names no file of the source folder", key.c_str(), value.c_str()));
        }
    }
}

// Paths longer than the front end writes, below the folder the package offers by default.
void CheckPathLengths(const IniDocument& doc, const std::wstring& baseName, const SourceScan& scan, BuildReport& report)
{
    std::wstring target = CUtil::ExpandPercentPath(doc.Get(L"Runtime", L"ExtractPath"));
    if (target.empty()) {
        target = L"C:\\Program Files\\" + baseName;
    }
    while (!target.empty() && target.back() == L'\\') {
        target.pop_back();
    }
    size_t count = 0;
    for (const SourceFile& file : scan.files) {
        const size_t length = target.size() + file.storedName.size();
        if (length <= kMaxTargetPath) {
            continue;
        }
        if (++count <= kMaxPathWarnings) {
            report.warnings.push_back(FormatW(L"%ls extracted to %ls would be %u characters long; the package "
                                              L"cannot write paths over %u characters",
                                              file.storedName.c_str(), target.c_str(), static_cast<unsigned>(length),
                                              static_cast<unsigned>(kMaxTargetPath)));
        }
    }
    if (count > kMaxPathWarnings) {
        report.warnings.push_back(
            FormatW(L"... and %u more paths of that kind", static_cast<unsigned>(count - kMaxPathWarnings)));
    }
}

std::vector<CabinetEntry> MakeCabinetEntries(const SourceScan& scan, BuildReport& report)
{
    std::vector<CabinetEntry> entries;
    entries.reserve(scan.files.size());
    size_t clamped = 0;
    for (const SourceFile& file : scan.files) {
        CabinetEntry entry;
        entry.sourcePath = file.path;
        entry.size = file.size;
        entry.storedName = WideToUtf8(file.storedName);
        entry.attributes = static_cast<uint16_t>((file.attributes & kCabKeptAttributes) | kCabTimeIsUtc);
        if (!IsPlainAscii(file.storedName)) {
            entry.attributes |= kCabNameIsUtf8;
        }
        // Times are stored as UTC (and marked so), so that they survive a change of time zone.
        // Not FileTimeToDosDateTime: implementations differ on years it cannot hold (Wine wraps them).
        SYSTEMTIME utc{};
        uint16_t date = 0;
        uint16_t time = 0;
        if (!::FileTimeToSystemTime(&file.lastWrite, &utc) ||
            !DosDateTimeOf(utc.wYear, utc.wMonth, utc.wDay, utc.wHour, utc.wMinute, utc.wSecond, date, time)) {
            if (utc.wYear == 0) {
                DosDateTimeOf(1980, 1, 1, 0, 0, 0, date, time);
            }
            ++clamped;
        }
        entry.date = date;
        entry.time = time;
        entries.push_back(std::move(entry));
    }
    if (clamped != 0) {
        report.notices.push_back(FormatW(L"%u file(s) have a time outside 1980..2107, which a cabinet cannot hold; "
                                         L"they get the nearest time it can",
                                         static_cast<unsigned>(clamped)));
    }
    return entries;
}

bool IsInside(const std::wstring& inner, const std::wstring& outer)
{
    const std::wstring a = CUtil::EnsureTrailingBackslash(inner);
    const std::wstring b = CUtil::EnsureTrailingBackslash(outer);
    return StartsWithNoCase(a, b);
}

// Parts of an earlier, longer build would lie beside the new set and confuse whoever copies it.
void RemoveStaleParts(const std::wstring& output, const std::wstring& baseName, int firstStale, BuildReport& report)
{
    for (int n = firstStale; n < 10000; ++n) {
        const std::wstring path = output + PartFileName(baseName, n);
        if (::GetFileAttributesW(LongPath(path).c_str()) == INVALID_FILE_ATTRIBUTES) {
            break;
        }
        CabinetInfo info;
        std::wstring ignored;
        if (!ReadCabinetHeader(path, info, ignored) || info.Magic() != "ORLO") {
            continue; // not a part of ours: leave it alone
        }
        CUtil::ClearReadOnly(LongPath(path));
        if (::DeleteFileW(LongPath(path).c_str())) {
            report.notices.push_back(FormatW(L"removed %ls left from an earlier build", path.c_str()));
        } else {
            report.warnings.push_back(
                FormatW(L"%ls is left from an earlier build and could not be removed", path.c_str()));
        }
    }
}

bool Build(const BuildOptions& options, BuildReport& report)
{
    Settings settings;
    if (!LoadTemplate(options, settings.doc, report) || !ResolveNameAndSize(options, settings, report) ||
        !ResolveSetId(options, settings, report) || !ResolveStub(options, settings, report) ||
        !LoadLanguages(options, settings, report) ||
        !LoadImage(options.topImage, L"TopImage", settings.topImage, settings, report) ||
        !LoadImage(options.bottomImage, L"BottomImage", settings.bottomImage, settings, report) ||
        !LoadDocuments(options, settings, report)) {
        return false;
    }

    const std::wstring output = FullPathOf(options.outputFolder.empty() ? L"." : options.outputFolder);
    if (!options.sourceFolder.empty() && IsInside(output, FullPathOf(options.sourceFolder))) {
        return Fail(report, FormatW(L"the output folder %ls lies inside the source folder; the package would pack "
                                    L"itself",
                                    output.c_str()));
    }
    SourceScan scan;
    std::wstring error;
    if (!ScanSourceTree(options.sourceFolder, scan, error)) {
        return Fail(report, error);
    }
    report.notices.insert(report.notices.end(), scan.notices.begin(), scan.notices.end());
    report.warnings.insert(report.warnings.end(), scan.warnings.begin(), scan.warnings.end());
    CheckAutoLaunch(settings.doc, scan, report);
    CheckPathLengths(settings.doc, settings.baseName, scan, report);

    OutputStaging staging;
    if (!staging.Create(output, error)) {
        return Fail(report, error);
    }

    const std::vector<CabinetEntry> entries = MakeCabinetEntries(scan, report);
    CabinetSetOptions cabOptions;
    cabOptions.folder = staging.Folder();
    cabOptions.baseName = settings.baseName;
    cabOptions.singleName = options.singleFile ? kSingleCabinetName : L"";
    cabOptions.partSize = settings.partSize;
    cabOptions.compression = options.compression;
    cabOptions.setId = settings.setId;
    if (options.progress) {
        const uint64_t total = scan.totalBytes;
        cabOptions.progress = [&options, total](uint64_t done) { options.progress(done, total); };
    }
    CabinetSetResult cabinets;
    if (!WriteCabinetSet(entries, cabOptions, cabinets, error)) {
        return Fail(report, error);
    }
    if (cabinets.cabinetPaths.size() > 999) {
        return Fail(report, FormatW(L"the set needs %u parts; the package names at most 999; choose a larger part "
                                    L"size",
                                    static_cast<unsigned>(cabinets.cabinetPaths.size())));
    }

    BuilderKeys keys;
    keys.multiPart = !options.singleFile;
    keys.baseName = settings.baseName;
    keys.setId = settings.setId;
    keys.packageSize = scan.totalBytes;
    keys.fileCount = static_cast<uint32_t>(scan.files.size());
    keys.topImage = settings.topImage;
    keys.bottomImage = settings.bottomImage;
    for (const std::wstring& path : cabinets.cabinetPaths) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!::GetFileAttributesExW(LongPath(path).c_str(), GetFileExInfoStandard, &data)) {
            return Fail(report, FormatW(L"cannot read %ls", path.c_str()));
        }
        keys.cabinetSize += (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        if (options.singleFile) {
            continue;
        }
        std::wstring hash;
        const DWORD code = CExtractorValidator::ComputeFileMd5(LongPath(path), hash, error);
        if (code != 0) {
            return Fail(report, FormatW(L"%ls: %ls", error.c_str(), TrimW(CUtil::FormatErrorText(code)).c_str()));
        }
        FILETIME local{};
        SYSTEMTIME time{};
        ::FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
        ::FileTimeToSystemTime(&local, &time);
        keys.partStamps.push_back(PartStampText(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute,
                                                time.wSecond, time.wMilliseconds));
        keys.partHashes.push_back(hash);
    }
    ApplyBuilderKeys(settings.doc, keys, report.notices);

    std::vector<PayloadEntry> payload;
    PayloadEntry properties;
    properties.name = kPropertiesName;
    properties.type = kPayloadSettingsEntry;
    properties.data = IniDocument::EncodeUtf16(settings.doc.ToText());
    payload.push_back(std::move(properties));
    payload.insert(payload.end(), settings.languages.begin(), settings.languages.end());
    payload.insert(payload.end(), settings.images.begin(), settings.images.end());
    payload.insert(payload.end(), settings.documents.begin(), settings.documents.end());
    if (options.singleFile) {
        PayloadEntry cabinet;
        cabinet.name = kSingleCabinetName;
        cabinet.type = kPayloadPackageEntry;
        cabinet.sourcePath = cabinets.cabinetPaths.front();
        payload.push_back(std::move(cabinet));
    }
    const std::wstring exeName = settings.baseName + L".exe";
    const DWORD written = CPayloadWriter::WritePackage(settings.stub, staging.Folder() + exeName, payload, error);
    if (written != 0) {
        return Fail(report,
                    FormatW(L"cannot write the package %ls: %ls", (staging.Output() + exeName).c_str(), error.c_str()));
    }

    std::vector<std::wstring> names;
    if (!options.singleFile) {
        for (const std::wstring& path : cabinets.cabinetPaths) {
            names.push_back(CUtil::SplitPath(path, 1));
        }
    }
    names.push_back(exeName); // last: the package is whole once its executable appears
    if (!staging.Commit(names, error)) {
        return Fail(report, error);
    }
    RemoveStaleParts(staging.Output(), settings.baseName, static_cast<int>(options.singleFile ? 1 : names.size()),
                     report);

    report.packagePath = staging.Output() + exeName;
    if (!options.singleFile) {
        for (size_t i = 0; i + 1 < names.size(); ++i) {
            report.partPaths.push_back(staging.Output() + names[i]);
        }
        report.partHashes = keys.partHashes;
    }
    report.setId = settings.setId;
    report.fileCount = keys.fileCount;
    report.sourceBytes = keys.packageSize;
    report.cabinetBytes = keys.cabinetSize;
    return true;
}

} // namespace

int BuildPackage(const BuildOptions& options, BuildReport& report)
{
    report = BuildReport{};
    try {
        return Build(options, report) ? kOk : kFailed;
    } catch (const std::bad_alloc&) {
        report.error = L"out of memory";
    } catch (...) {
        report.error = L"unexpected failure";
    }
    return kFailed;
}

} // namespace orlopack
