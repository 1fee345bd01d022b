// Names stored in a cabinet: decoding, normalising, the name rules and the target path they give.
#include "FuzzText.h"
#include "cabinet/CabNames.h"

namespace {
// How Windows resolves the relative part: trailing dots and blanks go, "." stays, ".." climbs.
// False when the path would climb above the folder or name something that is no file inside it.
bool StaysInside(const std::wstring& relative)
{
    int depth = 0;
    const std::vector<std::wstring> components = fuzz::Pieces(relative.substr(1), L'\\');
    for (size_t i = 0; i < components.size(); ++i) {
        std::wstring component = components[i];
        while (!component.empty() && (component.back() == L'.' || component.back() == L' ')) {
            component.pop_back();
        }
        if (component.empty() || component.find(L':') != std::wstring::npos) {
            return false;
        }
        depth += 1;
    }
    return depth > 0;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) {
        return 0;
    }
    const auto attributes = static_cast<uint16_t>(data[0] | (data[1] << 8));
    const std::string_view raw(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::wstring decoded = DecodeStoredName(raw, attributes);
    for (wchar_t c : decoded) {
        FUZZ_CHECK(c >= 0 && c <= 0xFFFF);
    }
    const std::wstring normalized = NormalizeStoredName(decoded);
    FUZZ_CHECK(!normalized.empty() && normalized[0] == L'\\');
    FUZZ_CHECK(normalized.find(L'/') == std::wstring::npos);
    if (!CheckStoredName(normalized).empty()) {
        return 0;
    }
    // An accepted name never leaves the target folder.
    FUZZ_CHECK(StaysInside(normalized));
    const std::wstring folder = L"D:\\Extract\\Product\\";
    const CabTargetPath target = BuildTargetPath(folder, normalized);
    FUZZ_CHECK(IsInsideFolder(target.targetPath, folder));
    FUZZ_CHECK(IsInsideFolder(target.fileFolder, folder) || target.fileFolder == folder);
    FUZZ_CHECK(!target.fileName.empty() && target.fileName.find(L'\\') == std::wstring::npos);
    FUZZ_CHECK(target.targetPath == target.fileFolder + target.fileName);
    FUZZ_CHECK(!IsDeviceName(target.fileName));
    return 0;
}
