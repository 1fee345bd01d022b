#include "conditions/InstallFile.h"

#include "log/BuildLogFile.h"
#include "util/ProcessContext.h"
#include "util/WideFormat.h"

namespace {
// A moveable global block, locked for the time of the read.
class LockedGlobalBlock {
public:
    explicit LockedGlobalBlock(SIZE_T size) : m_handle(::GlobalAlloc(GMEM_MOVEABLE, size))
    {
        if (m_handle != nullptr) {
            m_data = ::GlobalLock(m_handle);
        }
    }
    ~LockedGlobalBlock()
    {
        if (m_data != nullptr) {
            ::GlobalUnlock(m_handle);
        }
        if (m_handle != nullptr) {
            ::GlobalFree(m_handle);
        }
    }
    LockedGlobalBlock(const LockedGlobalBlock&) = delete;
    LockedGlobalBlock& operator=(const LockedGlobalBlock&) = delete;

    void* Data() const { return m_data; }

private:
    HGLOBAL m_handle = nullptr;
    void* m_data = nullptr;
};
} // namespace

DWORD CInstallFile::GetFileVersion(const std::wstring& path, std::wstring& version)
{
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) {
        return ::GetLastError();
    }
    LockedGlobalBlock block(size);
    if (block.Data() == nullptr) {
        const DWORD error = ::GetLastError();
        Log().WriteLine(0, L"CInstallFile::GetFileVersion()", L"Not enought memory!");
        return error;
    }
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, block.Data())) {
        return ::GetLastError();
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.Data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || fixed == nullptr ||
        length < sizeof(VS_FIXEDFILEINFO)) {
        return ERROR_RESOURCE_TYPE_NOT_FOUND;
    }
    version =
        FormatW(L"%d.%d.%d.%d", static_cast<int>(HIWORD(fixed->dwFileVersionMS)),
                static_cast<int>(LOWORD(fixed->dwFileVersionMS)), static_cast<int>(HIWORD(fixed->dwFileVersionLS)),
                static_cast<int>(LOWORD(fixed->dwFileVersionLS)));
    return 0;
}
