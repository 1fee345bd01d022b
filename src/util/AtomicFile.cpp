#include "util/AtomicFile.h"

#include <algorithm>

#include "util/Handles.h"
#include "util/Util.h"

DWORD WriteFileAtomically(const std::wstring& path, const std::string& bytes)
{
    std::wstring folder = CUtil::SplitPath(path, 0);
    if (folder.empty()) {
        folder = L".\\";
    }
    // The temporary file must lie on the same volume, or the rename would become a copy.
    wchar_t temp[MAX_PATH] = {};
    if (!::GetTempFileNameW(folder.c_str(), L"trx", 0, temp)) {
        return ::GetLastError();
    }
    const std::wstring tempPath = temp;
    auto abandon = [&](DWORD error) {
        ::DeleteFileW(tempPath.c_str());
        return error != 0 ? error : static_cast<DWORD>(ERROR_WRITE_FAULT);
    };
    {
        UniqueFileHandle file(
            ::CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            return abandon(::GetLastError());
        }
        size_t done = 0;
        while (done < bytes.size()) {
            const DWORD piece = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
            DWORD written = 0;
            if (!::WriteFile(file.Get(), bytes.data() + done, piece, &written, nullptr) || written == 0) {
                return abandon(::GetLastError());
            }
            done += written;
        }
        if (!::FlushFileBuffers(file.Get())) {
            return abandon(::GetLastError());
        }
    }
    if (!::MoveFileExW(tempPath.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return abandon(::GetLastError());
    }
    return 0;
}
