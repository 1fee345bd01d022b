// ListPackage and VerifyPackage.
#include <windows.h>

#include <cwchar>
#include <map>

#include "CabinetHeader.h"
#include "FrontEndChecks.h"
#include "OrloPack.h"
#include "PackText.h"
#include "PackageReader.h"
#include "SourceTree.h"
#include "cabinet/CabNames.h"
#include "settings/Payload.h"
#include "settings/SettingsRules.h"
#include "util/NameRules.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/WideFormat.h"
#include "validation/ExtractorValidator.h"
#include "validation/OSSectionCheck.h"

namespace orlopack {

namespace {

struct PartSet {
    bool multiPart = false;
    uint16_t setId = 0;
    std::wstring folder;   // ends with "\"
    std::wstring baseName; // the base the parts were found under
    bool fallbackName = false;
    int listed = 0; // parts with a [PartFileIno] key, counted like the front end (up to the first gap)
};

class Lines {
public:
    explicit Lines(std::vector<OutputLine>& out) : m_out(out) {}
    void Add(int severity, const std::wstring& text)
    {
        m_out.push_back(OutputLine{severity, text});
        m_problems += severity == kProblem ? 1 : 0;
    }
    int Problems() const { return m_problems; }

private:
    std::vector<OutputLine>& m_out;
    int m_problems = 0;
};

std::wstring TypeText(uint16_t type)
{
    return type == kPayloadSettingsEntry ? L"settings" : type == kPayloadPackageEntry ? L"package" : L"unknown";
}

bool Exists(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(LongPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

uint64_t FileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(LongPath(path).c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Part files are found the way the front end finds them: [Package] MultipartFileName beside the
// executable, with the cabinet's set id equal to [Orlo] GUID2; failing that, the executable's name
// less five characters, when GUID2 is not 0.
PartSet LocateParts(const PackageContents& contents)
{
    PartSet set;
    const IniDocument& ini = contents.properties;
    // Read as the front end reads it: an integer.
    set.multiPart = std::wcstol(ini.Get(L"Package", L"MultiPartDownload").c_str(), nullptr, 10) == 1;
    set.setId = static_cast<uint16_t>(std::wcstol(ini.Get(L"Orlo", L"GUID2").c_str(), nullptr, 10));
    set.folder = CUtil::EnsureTrailingBackslash(CUtil::SplitPath(contents.path, 0));
    set.baseName = ini.Get(L"Package", L"MultipartFileName");
    const std::wstring first = set.folder + PartFileName(set.baseName, 1);
    CabinetInfo info;
    std::wstring error;
    const bool firstOk = Exists(first) && ReadCabinetHeader(first, info, error) && info.setId == set.setId;
    if (!firstOk) {
        const std::wstring exeName = CUtil::SplitPath(contents.path, 1);
        const std::wstring fallback = exeName.size() > 5 ? exeName.substr(0, exeName.size() - 5) : L"";
        if (!fallback.empty() && set.setId != 0 && Exists(set.folder + PartFileName(fallback, 1))) {
            set.baseName = fallback;
            set.fallbackName = true;
        }
    }
    while (set.listed < 9999 && !ini.Get(L"PartFileIno", FormatW(L"%03d", set.listed + 1)).empty()) {
        ++set.listed;
    }
    return set;
}

const PayloadItem* FindItem(const PackageContents& contents, const wchar_t* name, uint16_t type)
{
    for (const PayloadItem& item : contents.items) {
        if (item.type == type && EqualsNoCase(item.name, name)) {
            return &item;
        }
    }
    return nullptr;
}

std::wstring FileLine(const CabinetFileRecord& file)
{
    return FormatW(L"  %12u  %ls  %-13ls %ls", file.size, DosDateTimeText(file.date, file.time).c_str(),
                   CabAttributeText(file.attributes).c_str(), file.Name().c_str());
}

std::wstring HeaderText(const CabinetInfo& info)
{
    std::wstring text =
        FormatW(L"magic %hs, set id %u, index %u, %u folder(s), %u file record(s)", info.Magic().c_str(), info.setId,
                info.index, static_cast<unsigned>(info.folders.size()), static_cast<unsigned>(info.files.size()));
    if (!info.folders.empty()) {
        const uint16_t type = info.folders.front().compression & 0x0F;
        text += type == 0 ? L", stored" : type == 1 ? L", MSZIP" : FormatW(L", compression %u", type);
    }
    if (info.flags & kCabFlagNext) {
        text += L", next " + Utf8ToWide(info.nextCabinet);
    }
    return text;
}

} // namespace

int ListPackage(const std::wstring& givenPath, std::vector<OutputLine>& out)
{
    // "D:/x/Pkg.exe" names the same file; the parts are looked for beside its full path.
    const std::wstring packagePath = FullPathOf(givenPath);
    Lines lines(out);
    PackageContents contents;
    std::wstring error;
    if (!ReadPackage(packagePath, contents, error)) {
        lines.Add(kProblem, error);
        return kFailed;
    }
    lines.Add(kPassed, FormatW(L"Package %ls (%I64u bytes, payload at offset %u)", packagePath.c_str(),
                               contents.fileSize, contents.payloadOffset));
    lines.Add(kPassed, FormatW(L"Payload entries (%u):", static_cast<unsigned>(contents.items.size())));
    for (const PayloadItem& item : contents.items) {
        lines.Add(kPassed,
                  FormatW(L"  %-28ls %-9ls %12u bytes", item.name.c_str(), TypeText(item.type).c_str(), item.size));
    }
    if (!contents.damage.empty()) {
        lines.Add(kProblem, L"  " + contents.damage);
    }
    if (!contents.hasProperties) {
        lines.Add(kProblem, L"the payload holds no readable Properties_Orlo.ini");
        return kFailed;
    }

    const PartSet set = LocateParts(contents);
    std::vector<CabinetInfo> cabinets;
    if (set.multiPart) {
        lines.Add(kPassed, FormatW(L"Part files (multi-part, base name %ls, set id %u, %d listed):",
                                   set.baseName.c_str(), set.setId, set.listed));
        for (int n = 1; n <= set.listed; ++n) {
            const std::wstring name = PartFileName(set.baseName, n);
            const std::wstring path = set.folder + name;
            if (!Exists(path)) {
                lines.Add(kProblem, FormatW(L"  %ls  missing", name.c_str()));
                continue;
            }
            std::wstring hash;
            if (CExtractorValidator::ComputeFileMd5(LongPath(path), hash, error) != 0) {
                hash = L"(unreadable)";
            }
            CabinetInfo info;
            if (!ReadCabinetHeader(path, info, error)) {
                lines.Add(kProblem, FormatW(L"  %ls  %I64u bytes  md5 %ls  %ls", name.c_str(), FileSize(path),
                                            hash.c_str(), error.c_str()));
                continue;
            }
            lines.Add(kPassed, FormatW(L"  %ls  %I64u bytes  md5 %ls  %ls", name.c_str(), FileSize(path), hash.c_str(),
                                       HeaderText(info).c_str()));
            cabinets.push_back(info);
        }
    } else {
        const PayloadItem* cab = FindItem(contents, L"WebCab1", kPayloadPackageEntry);
        lines.Add(kPassed, FormatW(L"Cabinet (single-file package, set id %u):", set.setId));
        CabinetInfo info;
        if (cab == nullptr) {
            lines.Add(kProblem, L"  the payload holds no WebCab1 entry");
        } else if (!ReadCabinetHeaderAt(packagePath, cab->dataOffset, cab->size, info, error)) {
            lines.Add(kProblem, L"  WebCab1: " + error);
        } else {
            lines.Add(kPassed, FormatW(L"  WebCab1  %u bytes  %ls", cab->size, HeaderText(info).c_str()));
            cabinets.push_back(info);
        }
    }

    std::vector<const CabinetFileRecord*> files;
    for (const CabinetInfo& info : cabinets) {
        for (const CabinetFileRecord& file : info.files) {
            if (file.StartsHere()) {
                files.push_back(&file);
            }
        }
    }
    lines.Add(kPassed, FormatW(L"Files (%u):", static_cast<unsigned>(files.size())));
    for (const CabinetFileRecord* file : files) {
        lines.Add(kPassed, FileLine(*file));
    }
    return lines.Problems() == 0 ? kOk : kFailed;
}

int VerifyPackage(const std::wstring& givenPath, std::vector<OutputLine>& out)
{
    const std::wstring packagePath = FullPathOf(givenPath);
    Lines lines(out);
    PackageContents contents;
    std::wstring error;
    if (!ReadPackage(packagePath, contents, error)) {
        lines.Add(kProblem, error);
        return kFailed;
    }
    const std::wstring exeName = CUtil::SplitPath(packagePath, 1);
    if (!contents.damage.empty()) {
        lines.Add(kProblem, exeName + L": " + contents.damage);
    }
    if (!contents.hasProperties) {
        lines.Add(kProblem, exeName + L": the payload holds no readable Properties_Orlo.ini");
        return kFailed;
    }
    lines.Add(kPassed, FormatW(L"%ls: payload with %u entries, Properties_Orlo.ini readable", exeName.c_str(),
                               static_cast<unsigned>(contents.items.size())));
    if (contents.signatureOffset == 0) {
        lines.Add(kPassed, FormatW(L"%ls: not signed", exeName.c_str()));
    } else if (contents.signatureOffset < contents.payloadOffset) {
        // Appended after signing: the signature no longer covers what the package unpacks.
        lines.Add(kProblem, FormatW(L"%ls: the payload lies behind the certificate table; the signature does not "
                                    L"cover it (sign the package after building it)",
                                    exeName.c_str()));
    } else {
        lines.Add(kPassed, FormatW(L"%ls: signed (certificate table of %u bytes at offset %u, behind the payload)",
                                   exeName.c_str(), contents.signatureSize, contents.signatureOffset));
    }
    bool dataSeen = false;
    for (const PayloadItem& item : contents.items) {
        if (item.type == kPayloadPackageEntry) {
            dataSeen = true;
        } else if (dataSeen) {
            lines.Add(kProblem, FormatW(L"%ls: the settings entry %ls follows package data; the package never "
                                        L"unpacks it",
                                        exeName.c_str(), item.name.c_str()));
        }
    }
    const IniDocument& ini = contents.properties;
    // Names the program joins to its folders: it refuses anything but a plain file name.
    for (const auto& [section, key] : {std::pair{L"Images", L"TopImage"}, std::pair{L"Images", L"BottomImage"},
                                       std::pair{L"LogFiles", L"ExtractLogFileName"}}) {
        const std::wstring value = ini.Get(section, key);
        const std::wstring reason = value.empty() ? std::wstring() : CheckPlainFileName(value);
        if (!reason.empty()) {
            lines.Add(kProblem, FormatW(L"%ls: [%ls] %ls=%ls is no plain file name (%ls); the package refuses it",
                                        exeName.c_str(), section, key, value.c_str(), reason.c_str()));
        }
    }
    // Read as the program reads it; no volume Windows can mount holds more than 8 PiB.
    constexpr uint64_t kLargestVolume = 1ull << 53;
    const uint64_t declaredSize = SizeValueOf(ini.Get(L"Size", L"PackageSize"));
    if (declaredSize > kLargestVolume) {
        lines.Add(kProblem, FormatW(L"%ls: [Size] PackageSize=%ls is more than any drive holds; the package finds no "
                                    L"place to extract to",
                                    exeName.c_str(), ini.Get(L"Size", L"PackageSize").c_str()));
    }
    for (const auto& [key, name] : {std::pair{L"TopImage", L"top"}, std::pair{L"BottomImage", L"bottom"}}) {
        const std::wstring image = ini.Get(L"Images", key);
        if (!image.empty() && FindItem(contents, image.c_str(), kPayloadSettingsEntry) == nullptr) {
            lines.Add(kWarning, FormatW(L"%ls: [Images] %ls=%ls is not in the payload; no %ls image is shown",
                                        exeName.c_str(), key, image.c_str(), name));
        }
    }

    // The program reads past what it does not know in [OS]: a typo in OSAllowed refuses every system.
    for (const std::wstring& finding : CheckOSSection(ini.Keys(L"OS"))) {
        lines.Add(kWarning, exeName + L": " + finding);
    }

    const PartSet set = LocateParts(contents);
    if (set.setId == 0) {
        lines.Add(kProblem,
                  FormatW(L"%ls: [Orlo] GUID2 is missing or 0; the package cannot match its parts", exeName.c_str()));
    }
    std::vector<CabinetInfo> cabinets;
    if (set.multiPart) {
        if (set.baseName.empty()) {
            lines.Add(kProblem, FormatW(L"%ls: [Package] MultipartFileName is empty", exeName.c_str()));
        }
        const std::wstring first = set.folder + PartFileName(set.baseName, 1);
        if (set.fallbackName) {
            lines.Add(kWarning, FormatW(L"%ls: parts are found under the executable's name (%ls), not under "
                                        L"[Package] MultipartFileName",
                                        exeName.c_str(), PartFileName(set.baseName, 1).c_str()));
        }
        if (set.listed == 0) {
            lines.Add(kWarning, FormatW(L"%ls: [PartFileIno] lists no parts; the package checks none before it "
                                        L"extracts",
                                        exeName.c_str()));
        }
        for (int n = 1; n <= set.listed; ++n) {
            const std::wstring name = PartFileName(set.baseName, n);
            const std::wstring path = set.folder + name;
            const int before = lines.Problems();
            if (path.size() >= 256) {
                lines.Add(kProblem, FormatW(L"%ls: the path is %u characters long; the package treats paths of 256 "
                                            L"or more as missing",
                                            name.c_str(), static_cast<unsigned>(path.size())));
                continue;
            }
            if (!Exists(path)) {
                lines.Add(kProblem, FormatW(L"%ls: missing (expected at %ls)", name.c_str(), path.c_str()));
                continue;
            }
            std::wstring hash;
            const DWORD code = CExtractorValidator::ComputeFileMd5(LongPath(path), hash, error);
            const std::wstring recorded = ini.Get(L"HashCode", FormatW(L"%03d", n));
            if (code != 0) {
                lines.Add(kProblem, FormatW(L"%ls: %ls: %ls", name.c_str(), error.c_str(),
                                            TrimW(CUtil::FormatErrorText(code)).c_str()));
            } else if (hash != recorded) {
                lines.Add(kProblem, FormatW(L"%ls: MD5 %ls differs from [HashCode] %03d=%ls (damaged, or from "
                                            L"another build)",
                                            name.c_str(), hash.c_str(), n, recorded.c_str()));
            }
            CabinetInfo info;
            if (!ReadCabinetHeader(path, info, error)) {
                lines.Add(kProblem, FormatW(L"%ls: no readable cabinet header: %ls", name.c_str(), error.c_str()));
                continue;
            }
            if (info.Magic() != "ORLO") {
                lines.Add(kProblem,
                          FormatW(L"%ls: begins with \"%hs\", not \"ORLO\"", name.c_str(), info.Magic().c_str()));
            }
            if (info.setId != set.setId) {
                lines.Add(kProblem, FormatW(L"%ls: belongs to cabinet set %u; the package is set %u (a part of "
                                            L"another package)",
                                            name.c_str(), info.setId, set.setId));
            }
            if (info.index != n - 1) {
                lines.Add(kProblem, FormatW(L"%ls: is cabinet %u of its set (part %u); expected cabinet %d here "
                                            L"(renamed or misplaced part)",
                                            name.c_str(), info.index, info.index + 1u, n - 1));
            }
            const uint64_t size = FileSize(path);
            if (size != info.cabinetSize) {
                lines.Add(kProblem, FormatW(L"%ls: the file has %I64u bytes, its header says %u (%ls)", name.c_str(),
                                            size, info.cabinetSize,
                                            size < info.cabinetSize ? L"truncated" : L"extra bytes at the end"));
            }
            const bool last = n == set.listed;
            if (!last && !(info.flags & kCabFlagNext)) {
                lines.Add(kProblem, FormatW(L"%ls: ends its cabinet set, but the package lists %d parts", name.c_str(),
                                            set.listed));
            } else if (last && (info.flags & kCabFlagNext)) {
                lines.Add(kProblem, FormatW(L"%ls: its set goes on with %hs, but the package lists only %d part(s)",
                                            name.c_str(), info.nextCabinet.c_str(), set.listed));
            } else if (!last) {
                // The front end keeps only the last four characters of the recorded next name.
                const std::wstring next = Utf8ToWide(info.nextCabinet);
                const std::wstring suffix = FormatW(L".%03d", n + 1);
                if (next.size() < 4 || next.substr(next.size() - 4) != suffix) {
                    lines.Add(kProblem, FormatW(L"%ls: names its next cabinet %ls, which does not end in %ls",
                                                name.c_str(), next.c_str(), suffix.c_str()));
                }
            }
            if (lines.Problems() == before) {
                lines.Add(kPassed, FormatW(L"%ls: present, MD5 matches, set id %u, cabinet index %u", name.c_str(),
                                           info.setId, info.index));
                cabinets.push_back(info);
            }
        }
        for (int n = set.listed + 1; n <= set.listed + 3; ++n) {
            const std::wstring name = PartFileName(set.baseName, n);
            if (Exists(set.folder + name)) {
                lines.Add(kWarning, FormatW(L"%ls: lies beside the package but is not one of its parts", name.c_str()));
            }
        }
    } else {
        const PayloadItem* cab = FindItem(contents, L"WebCab1", kPayloadPackageEntry);
        CabinetInfo info;
        if (cab == nullptr) {
            lines.Add(kProblem, FormatW(L"%ls: single-file package without a WebCab1 entry; it extracts nothing",
                                        exeName.c_str()));
        } else if (!ReadCabinetHeaderAt(packagePath, cab->dataOffset, cab->size, info, error)) {
            lines.Add(kProblem, FormatW(L"%ls: WebCab1: %ls", exeName.c_str(), error.c_str()));
        } else {
            const int before = lines.Problems();
            if (info.Magic() != "ORLO") {
                lines.Add(kProblem, FormatW(L"%ls: WebCab1 begins with \"%hs\", not \"ORLO\"", exeName.c_str(),
                                            info.Magic().c_str()));
            }
            if (info.cabinetSize != cab->size) {
                lines.Add(kProblem, FormatW(L"%ls: WebCab1 has %u bytes, its header says %u", exeName.c_str(),
                                            cab->size, info.cabinetSize));
            }
            if (info.flags & (kCabFlagNext | kCabFlagPrevious)) {
                lines.Add(kProblem, FormatW(L"%ls: WebCab1 is one cabinet of a larger set", exeName.c_str()));
            }
            if (info.setId != set.setId) {
                lines.Add(kWarning, FormatW(L"%ls: WebCab1 has set id %u, [Orlo] GUID2 is %u", exeName.c_str(),
                                            info.setId, set.setId));
            }
            if (lines.Problems() == before) {
                lines.Add(kPassed, FormatW(L"%ls: WebCab1 present, %u bytes, set id %u", exeName.c_str(), cab->size,
                                           info.setId));
                cabinets.push_back(info);
            }
        }
    }

    // What the parts hold against what the properties announce.
    uint64_t total = 0;
    uint32_t count = 0;
    std::map<std::wstring, std::wstring> unsafe; // stored name -> why the program refuses it
    for (const CabinetInfo& info : cabinets) {
        for (const CabinetFileRecord& file : info.files) {
            if (!file.StartsHere()) {
                continue;
            }
            ++count;
            total += file.size;
            const std::wstring reason = CheckStoredName(NormalizeStoredName(file.Name()));
            if (!reason.empty()) {
                unsafe.emplace(file.Name(), reason);
            }
        }
    }
    for (const auto& [name, reason] : unsafe) {
        lines.Add(kProblem, FormatW(L"%ls: the stored name %ls would land outside the extraction folder (%ls)",
                                    exeName.c_str(), name.c_str(), reason.c_str()));
    }
    if (lines.Problems() == 0) {
        for (const OutputLine& line : RunFrontEndChecks(packagePath, contents.payloadOffset, total)) {
            lines.Add(line.severity, exeName + L": " + line.text);
        }
    }
    if (lines.Problems() == 0) {
        const std::wstring countText = ini.Get(L"FileCount", L"Count");
        if (countText != FormatW(L"%u", count)) {
            lines.Add(kWarning, FormatW(L"%ls: [FileCount] Count=%ls, the cabinets hold %u files", exeName.c_str(),
                                        countText.c_str(), count));
        }
        const std::wstring sizeText = ini.Get(L"Size", L"PackageSize");
        if (sizeText != FormatW(L"%I64u", total)) {
            lines.Add(kWarning, FormatW(L"%ls: [Size] PackageSize=%ls, the files need %I64u bytes", exeName.c_str(),
                                        sizeText.c_str(), total));
        }
    }
    if (lines.Problems() == 0) {
        lines.Add(kPassed,
                  FormatW(L"%ls: the package is sound (%u files, %I64u bytes)", exeName.c_str(), count, total));
        return kOk;
    }
    lines.Add(kProblem, FormatW(L"%ls: %d problem(s) found", exeName.c_str(), lines.Problems()));
    return kFailed;
}

} // namespace orlopack
