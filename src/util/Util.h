#pragma once
// CUtil: the process-wide service object for paths, folders, drives, registry, privileges and text.
// Reach the instance through Util() (util/ProcessContext.h). Operations do not log and do not throw.
#include "util/Platform.h"

#include <cstdint>
#include <list>
#include <map>
#include <string>
#include <utility>

// Result codes of IsValidPath (Win32 error numbers).
constexpr int kPathValid = 0;
constexpr int kPathAccessDenied = 5;      // ERROR_ACCESS_DENIED
constexpr int kPathCannotMake = 82;       // ERROR_CANNOT_MAKE
constexpr int kPathBadPathName = 161;     // ERROR_BAD_PATHNAME
constexpr int kPathNameTooLong = 206;     // ERROR_FILENAME_EXCED_RANGE

constexpr DWORD kRegistryNoDefaultWrite = 0xDEF0;  // ReadRegistryDword: do not write the default

class CUtil {
public:
    virtual ~CUtil() = default;

    // ---- Privileges
    bool IsAdmin(int skipOnVista) const;
    void SetCheckAdminText(const std::wstring& text) { m_checkAdminText = text; }
    const std::wstring& GetCheckAdminText() const { return m_checkAdminText; }

    // ---- Files and paths
    static bool FileExists(const std::wstring& path);
    static bool IsDotEntry(const std::wstring& name);
    static std::wstring EnsureTrailingBackslash(const std::wstring& path);
    static std::wstring SplitPath(const std::wstring& path, int which);  // 1: file part; else folder part with "\"
    static std::wstring GetExtension(const std::wstring& path);
    static std::wstring RemoveExtension(const std::wstring& path);
    static std::wstring GetPathRoot(const std::wstring& path);
    std::wstring AddUserNameToFileName(const std::wstring& path) const;
    static std::wstring GetModulePath();
    static std::wstring GetModuleFolder();
    static std::wstring GetModuleName();
    static std::wstring ExpandPercentPath(const std::wstring& text);
    static std::wstring FormatNumberedName(const std::wstring& pattern, int number);
    static int IsPathShorterThan(const std::wstring& path, const std::wstring& limitText);
    // Validates (and test-creates) an extraction folder: 0, 5, 82, 161 or 206. On success `root`
    // receives the path's root ("C:" or "\\server\share\"); CreatedExtractionRoot names the topmost
    // folder this call created (and removed again), or is empty.
    int IsValidPath(const std::wstring& path, std::wstring& root);
    // A valid single path component (pure rule of IsValidPath).
    static bool IsValidPathComponent(const std::wstring& component);

    // ---- Folders
    static int CreateFolderReport(const std::wstring& path, std::wstring& message);
    static int CreateParentFolders(const std::wstring& path);
    static int CreateFolderChain(const std::wstring& root, const std::wstring& rest, std::wstring& createdRoot);
    static DWORD ClearReadOnly(const std::wstring& path);
    // Removing a folder tree: 1 when removed, 0 when something stayed. RemoveTree counts a missing
    // folder as done (-1); RemoveTreeCollect goes on past what cannot be deleted and lists it (newest
    // first). None deletes or walks through a link: a link stays, as something that could not go.
    static int RemoveTree(const std::wstring& path);
    static int RemoveTreeStrict(const std::wstring& path);
    static int RemoveTreeCollect(const std::wstring& path, std::list<std::wstring>& failures);

    // ---- Drives and space
    static int FindDrives(std::list<std::wstring>& list, UINT type);
    static int FindDrivesWithSpace(std::list<std::wstring>& list, UINT type, uint64_t minimumBytes);
    static uint64_t GetFreeBytes(const std::wstring& root);
    static bool IsFolderWritable(const std::wstring& folder, const std::wstring& prefix);

    // ---- Registry and INI files
    static DWORD ReadRegistryDword(HKEY key, const std::wstring& name, DWORD defaultValue);
    static std::wstring ReadRegistryString(HKEY key, const std::wstring& name, DWORD sizeBytes);
    // Section lines (first 2000 characters only) as lower-cased name -> value.
    static void ReadSection(const std::wstring& file, const std::wstring& section,
                            std::map<std::wstring, std::wstring>& map, DWORD size = 2000);

    // ---- Text and numbers
    static void Split(const std::wstring& text, const std::wstring& separator, std::list<std::wstring>& list);
    static bool IsDigitsAndDots(const std::wstring& text);
    static std::wstring StripBraces(const std::wstring& text);
    static int32_t ToInt32(const std::wstring& text);
    static int16_t ToInt16(const std::wstring& text);
    static int64_t ToInt64(const std::wstring& text);
    static std::wstring IntToText(int value);

    // ---- System
    static int GetUILanguage();
    static DWORD GetOSMajorVersion();
    static std::wstring NewGuidString();
    static std::wstring GetCurrentUserName();
    static std::wstring FormatErrorText(DWORD code);

    // ---- System information (memory, processors, drives, languages)
    static uint32_t GetTotalPhysicalMemory();
    // Inserted at the head: the list holds the highest registry index first.
    static void GetProcessorNames(std::list<std::wstring>& list);
    static std::wstring GetComputerName();
    static std::wstring GetDriveSpaceText(const std::wstring& root);
    static std::wstring GetFileSystemName(const std::wstring& root);
    static std::pair<double, std::wstring> ScaleSize(uint64_t bytes);
    static std::wstring GetLanguageNameOf(unsigned lcid);

    // ---- State
    std::wstring CreatedExtractionRoot;  // topmost folder the last IsValidPath had to create
    int PlaceholderSearchPosition = 0;   // where IsEnvVarPresent searches from (launcher)

private:
    std::wstring m_checkAdminText;
};
