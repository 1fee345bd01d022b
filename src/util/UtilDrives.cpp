// CUtil: drives, free space and the write test of a folder.
#include <windows.h>

#include "util/Handles.h"
#include "util/Util.h"

namespace {
// Roots ("C:\") of the drives whose type matches `type` (3 fixed, 5 CD-ROM) and that `accept`
// takes, inserted at the head of `list`; -1 when the system reports no drives.
template <typename Accept>
int CollectDrives(std::list<std::wstring>& list, UINT type, Accept accept)
{
    const DWORD mask = ::GetLogicalDrives();
    if (mask == 0) {
        return -1;
    }
    for (int letter = 0; letter < 26; ++letter) {
        if (!(mask & (1u << letter))) {
            continue;
        }
        const std::wstring root{static_cast<wchar_t>(L'A' + letter), L':', L'\\'};
        const UINT driveType = ::GetDriveTypeW(root.c_str());
        const bool wanted = (driveType == DRIVE_FIXED && type == DRIVE_FIXED) ||
                            (driveType == DRIVE_CDROM && type == DRIVE_CDROM);
        if (wanted && accept(root, driveType)) {
            list.push_front(root);
        }
    }
    return 0;
}
}  // namespace

int CUtil::FindDrives(std::list<std::wstring>& list, UINT type)
{
    return CollectDrives(list, type, [](const std::wstring&, UINT) { return true; });
}

int CUtil::FindDrivesWithSpace(std::list<std::wstring>& list, UINT type, uint64_t minimumBytes)
{
    return CollectDrives(list, type, [minimumBytes](const std::wstring& root, UINT driveType) {
        return driveType != DRIVE_FIXED || GetFreeBytes(root) >= minimumBytes;
    });
}

uint64_t CUtil::GetFreeBytes(const std::wstring& root)
{
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD totalClusters = 0;
    if (!::GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) {
        return 0;
    }
    return uint64_t{sectorsPerCluster} * bytesPerSector * freeClusters;
}

bool CUtil::IsFolderWritable(const std::wstring& folder, const std::wstring& prefix)
{
    wchar_t name[MAX_PATH + 1] = {};
    // GetTempFileName with unique number 0 creates the file: that alone proves little about
    // writing, so the name is opened for writing as well.
    if (::GetTempFileNameW(folder.c_str(), prefix.c_str(), 0, name) == 0) {
        return false;
    }
    UniqueFileHandle file(::CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_NORMAL, nullptr));
    const bool opened = file.Valid();
    file.Reset();
    // Removed also when the open failed: the test must not leave its file behind.
    ::DeleteFileW(name);
    return opened;
}
