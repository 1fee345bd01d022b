// Reading a cabinet header from a file (the parsing: CabinetParse.cpp).
#include "CabinetHeader.h"

#include <windows.h>

#include <algorithm>

#include "PackText.h"
#include "SourceTree.h"
#include "util/Handles.h"
#include "util/NameRules.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/WideFormat.h"

namespace orlopack {

bool ReadCabinetHeader(const std::wstring& path, CabinetInfo& info, std::wstring& error)
{
    return ReadCabinetHeaderAt(path, 0, UINT64_MAX, info, error);
}

bool ReadCabinetHeaderAt(const std::wstring& path, uint64_t offset, uint64_t length, CabinetInfo& info,
                         std::wstring& error)
{
    UniqueFileHandle file(::CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        const DWORD code = ::GetLastError();
        error = FormatW(L"cannot open %ls: %ls", path.c_str(), TrimW(CUtil::FormatErrorText(code)).c_str());
        return false;
    }
    LARGE_INTEGER fileSize{};
    ::GetFileSizeEx(file.Get(), &fileSize);
    fileSize.QuadPart =
        static_cast<uint64_t>(fileSize.QuadPart) > offset ? fileSize.QuadPart - static_cast<LONGLONG>(offset) : 0;
    if (static_cast<uint64_t>(fileSize.QuadPart) > length) {
        fileSize.QuadPart = static_cast<LONGLONG>(length);
    }
    LARGE_INTEGER start{};
    start.QuadPart = static_cast<LONGLONG>(offset);
    if (!::SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN)) {
        const DWORD code = ::GetLastError();
        error = FormatW(L"cannot read %ls: %ls", path.c_str(), TrimW(CUtil::FormatErrorText(code)).c_str());
        return false;
    }
    const uint64_t available = static_cast<uint64_t>(fileSize.QuadPart);
    std::vector<uint8_t> data;
    size_t want = 64 * 1024;
    for (;;) {
        const size_t have = data.size();
        if (want > available) {
            want = static_cast<size_t>(available);
        }
        if (want > have) {
            data.resize(want);
            DWORD read = 0;
            if (!::ReadFile(file.Get(), data.data() + have, static_cast<DWORD>(want - have), &read, nullptr)) {
                const DWORD code = ::GetLastError();
                error = FormatW(L"cannot read %ls: %ls", path.c_str(), TrimW(CUtil::FormatErrorText(code)).c_str());
                return false;
            }
            data.resize(have + read);
        }
        const int64_t result = ParseCabinetHeader(data.data(), data.size(), info, error);
        if (result == 0) {
            return true;
        }
        if (result < 0) {
            return false;
        }
        // Sizes compared in 64 bits: where size_t has 32, a record offset near 4 GiB would wrap.
        const uint64_t needed = static_cast<uint64_t>(result);
        if (data.size() >= available || needed <= data.size() || needed > available) {
            error = FormatW(L"the cabinet header is cut short (%ls has %I64d bytes)", path.c_str(),
                            static_cast<long long>(fileSize.QuadPart));
            return false;
        }
        // Headers beyond the first read: grow generously, every file record costs at most 272 bytes.
        want = static_cast<size_t>(std::min<uint64_t>(needed + 64 * 1024, available));
    }
}

} // namespace orlopack
