// COrloInitalizer: the Orlo temp directory, a fresh {GUID} folder on the highest fixed drive with
// room for the settings files.
#include <windows.h>

#include <list>
#include <vector>

#include "log/BuildLogFile.h"
#include "settings/Messages.h"
#include "settings/OrloInitalizer.h"
#include "settings/SettingsRules.h"
#include "util/Handles.h"
#include "util/ProcessContext.h"
#include "util/Profile.h"
#include "util/Util.h"
#include "util/WideFormat.h"

namespace {
constexpr DWORD kNoDriveWithSpace = 39;  // ERROR_HANDLE_DISK_FULL
constexpr wchar_t kSetOrloTempDir[] = L"SetOrloTempDir";

// The files of a leftover settings folder when all of them are settings files, else nothing.
bool ListLeftoverSettingsFiles(const std::wstring& folder, std::vector<std::wstring>& files)
{
    const std::wstring properties = folder + kPropertiesFileName;
    if (!CUtil::FileExists(properties)) {
        return false;
    }
    std::vector<std::wstring> images;
    for (const wchar_t* key : {L"TopImage", L"BottomImage"}) {
        images.push_back(ReadProfileString(properties, L"Images", key));
    }
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(::FindFirstFileW((folder + L"*").c_str(), &data));
    if (!find) {
        return false;
    }
    do {
        if (CUtil::IsDotEntry(data.cFileName)) {
            continue;
        }
        // A folder or a link inside is nothing this program made.
        if ((data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0 ||
            !IsSettingsFileName(data.cFileName, images)) {
            return false;
        }
        files.push_back(folder + data.cFileName);
    } while (::FindNextFileW(find.Get(), &data));
    return true;
}
} // namespace

void COrloInitalizer::RemoveLeftoverTempDirs(const std::list<std::wstring>& roots, const FILETIME& startedBefore)
{
    for (const std::wstring& root : roots) {
        WIN32_FIND_DATAW data;
        UniqueFindHandle find(::FindFirstFileW((CUtil::EnsureTrailingBackslash(root) + L"{*}").c_str(), &data));
        if (!find) {
            continue;
        }
        do {
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
                (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || !IsSettingsFolderName(data.cFileName) ||
                ::CompareFileTime(&data.ftCreationTime, &startedBefore) >= 0) {
                continue;
            }
            const std::wstring folder = CUtil::EnsureTrailingBackslash(root) + data.cFileName + L"\\";
            std::vector<std::wstring> files;
            if (!ListLeftoverSettingsFiles(folder, files)) {
                continue;
            }
            // A run that still lives holds its properties file open: that folder stays.
            if (!::DeleteFileW((folder + kPropertiesFileName).c_str())) {
                continue;
            }
            for (const std::wstring& file : files) {
                ::DeleteFileW(file.c_str());
            }
            const bool removed = ::RemoveDirectoryW(folder.c_str()) != FALSE;
            Log().WriteLine(kLogInfo, kSetOrloTempDir,
                            removed ? L"Removed a settings folder left behind by an earlier run : %ls"
                                    : L"Could not remove a settings folder left behind by an earlier run : %ls",
                            folder.c_str());
        } while (::FindNextFileW(find.Get(), &data));
    }
}

uint64_t COrloInitalizer::SetAppFileSize()
{
    const std::wstring path = CUtil::GetModulePath();
    Log().WriteLine(kLogInfo, L"SetAppFileSize", L"Opening file : %ls", path.c_str());
    uint64_t size = kDefaultPackageSize;
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER length{};
    if (file && ::GetFileSizeEx(file.Get(), &length)) {
        size = static_cast<uint64_t>(length.QuadPart);
        file.Reset();
        Log().WriteLine(kLogInfo, L"SetAppFileSize", L"File closed successfully");
    } else {
        Log().WriteLine(kLogError, L"SetAppFileSize", L"Error in opening the file");
    }
    const auto [number, unit] = CUtil::ScaleSize(size);
    Log().WriteLine(kLogInfo, L"SetAppFileSize", L"Space required for Extraction of Setting files: %ls",
                    FormatW(L"%.02f %ls", number, unit.c_str()).c_str());
    return size;
}

DWORD COrloInitalizer::SetOrloTempDir(uint64_t spaceNeeded)
{
    std::list<std::wstring> fixedDrives;
    CUtil::FindDrivesWithSpace(fixedDrives, DRIVE_FIXED, 0);
    FILETIME started{};
    FILETIME unused[3]{};
    if (::GetProcessTimes(::GetCurrentProcess(), &started, &unused[0], &unused[1], &unused[2])) {
        RemoveLeftoverTempDirs(fixedDrives, started);
    }

    Log().WriteLine(kLogInfo, L"SetOrloTempDir", L"Searching space for extraction of Setting files");
    std::list<std::wstring> drives;  // highest drive letter first (inserted at the head)
    CUtil::FindDrivesWithSpace(drives, DRIVE_FIXED, spaceNeeded);
    if (drives.empty()) {
        Log().WriteLine(kLogError, L"SetOrloTempDir", L"Unable to find a volume with enough disk space for file extraction.");
        return kNoDriveWithSpace;
    }
    DWORD lastError = ERROR_ACCESS_DENIED;
    for (const auto& drive : drives) {
        const std::wstring folder = FormatW(L"%ls%ls\\", drive.c_str(), CUtil::NewGuidString().c_str());
        if (::CreateDirectoryW(folder.c_str(), nullptr)) {
            Log().WriteLine(kLogInfo, L"SetOrloTempDir", L"Required Space found in Drive : %ls", drive.c_str());
            Log().WriteLine(kLogInfo, L"SetOrloTempDir", L"Directory created : %ls", folder.c_str());
            m_tempDirectory = folder;
            return 0;
        }
        lastError = ::GetLastError();
    }
    return lastError;
}

std::wstring COrloInitalizer::CretaeAndValidateOrloTempDir()
{
    const DWORD result = SetOrloTempDir(SetAppFileSize());
    if (result == 0) {
        return {};
    }
    const wchar_t* function = L"CretaeAndValidateOrloTempDir";
    if (result == kNoDriveWithSpace) {
        Log().WriteLine(kLogError, function, L"Unable to find a volume with enough disk space for file extraction.");
        return GetMessage(104);
    }
    if (result == ERROR_ACCESS_DENIED) {
        Log().WriteLine(kLogError, function,
                        L"Unable to find a volume for file extraction.Please verify that you have proper permissions.");
        return GetMessage(106);
    }
    const std::wstring text = FormatW(L"Error : %ls", CUtil::FormatErrorText(result).c_str());
    Log().WriteLine(kLogError, function, L"%ls", text.c_str());
    return text;
}
