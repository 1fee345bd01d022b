// CUtil: the queries behind the system information block of the log (memory, processors,
// computer name, drive space, file system, language names).
#include <windows.h>

#include <limits>

#include "util/Handles.h"
#include "util/Util.h"
#include "util/UtilRules.h"
#include "util/WideFormat.h"

namespace {
struct LanguageName {
    unsigned lcid;
    const wchar_t* name;
};

constexpr LanguageName kLanguageNames[] = {
    {0, L"Language Independent"},
    {1025, L"Arabic (Saudi Arabia)"},
    {1026, L"Bulgarian"},
    {1027, L"Catalan"},
    {1028, L"Chinese (Traditional)"},
    {1029, L"Czech"},
    {1030, L"Danish"},
    {1031, L"German"},
    {1032, L"Greek"},
    {1033, L"English"},
    {1034, L"Spanish (Traditional Sort)"},
    {1035, L"Finnish"},
    {1036, L"French(France)"},
    {1037, L"Hebrew"},
    {1038, L"Hungarian"},
    {1040, L"Italian"},
    {1041, L"Japanese"},
    {1042, L"Korean"},
    {1043, L"Dutch"},
    {1044, L"Norwegian (Bokmal)"},
    {1045, L"Polish"},
    {1046, L"Portuguese (Brazil)"},
    {1048, L"Romanian"},
    {1049, L"Russian"},
    {1050, L"Croatian"},
    {1051, L"Slovak"},
    {1053, L"Swedish"},
    {1054, L"Thai"},
    {1055, L"Turkish"},
    {1057, L"Indonesian"},
    {1060, L"Slovenian"},
    {1069, L"Basque"},
    {2052, L"Chinese (Simplified)"},
    {2070, L"Portuguese (Portugal)"},
    {3082, L"Spanish - Modern Sort"},
    {3084, L"French(Canada)"},
    {3098, L"Serbian (Cyrillic)"},
};

}  // namespace

uint32_t CUtil::GetTotalPhysicalMemory()
{
    MEMORYSTATUS status{};
    status.dwLength = sizeof(status);
    ::GlobalMemoryStatus(&status);
    // A 64-bit process is told the full amount: saturate instead of wrapping to a small number.
    const uint64_t total = status.dwTotalPhys;
    return total > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                        : static_cast<uint32_t>(total);
}

void CUtil::GetProcessorNames(std::list<std::wstring>& list)
{
    utilrules::CollectProcessorNames(
        [](int index, std::wstring& name) {
            const std::wstring path =
                FormatW(L"%ls%d", L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\", index);
            UniqueRegKey key;
            if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) {
                return false;
            }
            name = ReadRegistryString(key.Get(), L"ProcessorNameString", 1024);
            return true;
        },
        list);
}

std::wstring CUtil::GetComputerName()
{
    wchar_t buffer[1024] = {};
    DWORD size = 1024;
    if (!::GetComputerNameW(buffer, &size)) {
        return {};
    }
    return std::wstring(buffer, size);
}

std::wstring CUtil::GetDriveSpaceText(const std::wstring& root)
{
    ULARGE_INTEGER available{};
    ULARGE_INTEGER total{};
    ULARGE_INTEGER totalFree{};
    if (::GetDiskFreeSpaceExW(root.c_str(), &available, &total, &totalFree)) {
        return utilrules::FormatDriveSpaceText(total.QuadPart, totalFree.QuadPart);
    }
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD totalClusters = 0;
    if (::GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) {
        const uint64_t clusterBytes = uint64_t{sectorsPerCluster} * bytesPerSector;
        return utilrules::FormatDriveSpaceText(clusterBytes * totalClusters, clusterBytes * freeClusters);
    }
    return L"No Information";
}

std::wstring CUtil::GetFileSystemName(const std::wstring& root)
{
    wchar_t name[MAX_PATH + 1] = {};
    if (!::GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, name, MAX_PATH + 1)) {
        return {};
    }
    return name;
}

std::wstring CUtil::GetLanguageNameOf(unsigned lcid)
{
    for (const auto& entry : kLanguageNames) {
        if (entry.lcid == lcid) {
            return entry.name;
        }
    }
    return L"Unknown";
}
