// The payload entry walk over the bytes behind the image: names, types, lengths, truncation.
#include <algorithm>
#include <cstring>

#include "FuzzText.h"
#include "cabinet/CabNames.h"
#include "settings/PayloadEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::wstring folder = L"C:\\Temp\\{0D2A7B1E-5C4F-4B8E-9A61-3E2F7C1D0B9A}\\";
    size_t position = 0;
    const PayloadByteReader reader = [&](void* buffer, DWORD want, DWORD& got, DWORD& error) {
        got = static_cast<DWORD>(std::min<size_t>(want, size - position));
        std::memcpy(buffer, data + position, got);
        position += got;
        error = 0;
        return true;
    };
    int64_t at = 0;
    for (;;) {
        const PayloadHeaderRead entry = ReadPayloadEntryHeader(reader, at);
        FUZZ_CHECK(entry.result != PayloadHeaderResult::ReadError);
        if (entry.result == PayloadHeaderResult::Refused) {
            FUZZ_CHECK(!entry.problem.empty());
        }
        if (entry.result != PayloadHeaderResult::Entry) {
            return 0;
        }
        const PayloadEntryHeader& header = entry.header;
        // An accepted name is one plain name: joined to the temp folder it stays a file inside it.
        FUZZ_CHECK(IsPlainFileName(header.name));
        FUZZ_CHECK(header.name.find_first_of(L"\\/:") == std::wstring::npos);
        const std::wstring path = folder + header.name;
        FUZZ_CHECK(IsInsideFolder(path, folder));
        FUZZ_CHECK(BuildTargetPath(folder, L"\\" + header.name).targetPath == path);
        FUZZ_CHECK(header.dataOffset == header.start + 76 + 4 + 2 * static_cast<int64_t>(header.name.size()) + 4 + 2);
        FUZZ_CHECK(static_cast<int64_t>(position) == header.dataOffset);
        if (!CheckPayloadEntryData(header, static_cast<int64_t>(size)).empty()) {
            FUZZ_CHECK(header.dataOffset + header.dataSize > static_cast<int64_t>(size));
            return 0;
        }
        FUZZ_CHECK(header.dataOffset + header.dataSize <= static_cast<int64_t>(size));
        position += header.dataSize;
        at = header.dataOffset + header.dataSize;
    }
}
