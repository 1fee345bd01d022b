// The builder-owned keys of the package properties.
#include "PackageProperties.h"

#include "util/WideFormat.h"

namespace orlopack {

namespace {

void SetOwned(IniDocument& doc, const std::wstring& section, const std::wstring& key, const std::wstring& value,
              std::vector<std::wstring>& notices)
{
    if (doc.Has(section, key)) {
        const std::wstring old = doc.Get(section, key);
        if (old != value) {
            notices.push_back(FormatW(L"[%ls] %ls=%ls of the template is replaced by the builder's value %ls",
                                      section.c_str(), key.c_str(), old.c_str(), value.c_str()));
        }
    }
    doc.Set(section, key, value);
}

void ReplaceList(IniDocument& doc, const std::wstring& section, const std::vector<std::wstring>& values,
                 std::vector<std::wstring>& notices)
{
    const size_t removed = doc.RemoveKeys(section);
    if (removed != 0) {
        notices.push_back(FormatW(L"the %u [%ls] key(s) of the template are replaced by the builder's",
                                  static_cast<unsigned>(removed), section.c_str()));
    }
    for (size_t i = 0; i < values.size(); ++i) {
        doc.Set(section, FormatW(L"%03d", static_cast<int>(i + 1)), values[i]);
    }
}

} // namespace

void ApplyBuilderKeys(IniDocument& doc, const BuilderKeys& keys, std::vector<std::wstring>& notices)
{
    SetOwned(doc, L"Package", L"MultiPartDownload", keys.multiPart ? L"1" : L"0", notices);
    SetOwned(doc, L"Package", L"MultipartFileName", keys.baseName, notices);
    SetOwned(doc, L"Orlo", L"GUID2", FormatW(L"%u", static_cast<unsigned>(keys.setId)), notices);
    ReplaceList(doc, L"PartFileIno", keys.partStamps, notices);
    ReplaceList(doc, L"HashCode", keys.partHashes, notices);
    SetOwned(doc, L"Size", L"PackageSize", FormatW(L"%I64u", keys.packageSize), notices);
    SetOwned(doc, L"Size", L"CabSize", FormatW(L"%I64u", keys.cabinetSize), notices);
    SetOwned(doc, L"FileCount", L"Count", FormatW(L"%u", keys.fileCount), notices);
    if (!keys.topImage.empty()) {
        SetOwned(doc, L"Images", L"TopImage", keys.topImage, notices);
    }
    if (!keys.bottomImage.empty()) {
        SetOwned(doc, L"Images", L"BottomImage", keys.bottomImage, notices);
    }
}

} // namespace orlopack
