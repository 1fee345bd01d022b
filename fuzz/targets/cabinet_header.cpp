// A cabinet's header, folder and file records as list and verify read them, and the stored names
// they carry.
#include "CabinetHeader.h"
#include "FuzzText.h"
#include "cabinet/CabNames.h"

using orlopack::CabinetInfo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CabinetInfo info;
    std::wstring error;
    const int64_t result = orlopack::ParseCabinetHeader(data, size, info, error);
    if (result < 0) {
        FUZZ_CHECK(result == -1 && !error.empty());
        return 0;
    }
    if (result > 0) {
        // "Give me more" always asks for more than it had.
        FUZZ_CHECK(static_cast<size_t>(result) > size);
        return 0;
    }
    // Bytes behind a complete header change nothing.
    std::vector<uint8_t> longer(data, data + size);
    longer.resize(size + 300, 0xA5);
    CabinetInfo again;
    FUZZ_CHECK(orlopack::ParseCabinetHeader(longer.data(), longer.size(), again, error) == 0);
    FUZZ_CHECK(again.files.size() == info.files.size() && again.folders.size() == info.folders.size());

    const std::wstring folder = L"D:\\Extract\\";
    for (const auto& file : info.files) {
        FUZZ_CHECK(file.nameBytes.size() < 256 && file.nameBytes.find('\0') == std::string::npos);
        const std::wstring normalized = NormalizeStoredName(file.Name());
        if (CheckStoredName(normalized).empty()) {
            FUZZ_CHECK(IsInsideFolder(BuildTargetPath(folder, normalized).targetPath, folder));
        }
    }
    return 0;
}
