#pragma once
// CCabFile: the folder operations of the cabinet engine. They create the folder of an extracted
// file and record, for the cleanup, which folders lie between it and the extraction folder and
// which ones this run created (FolderChain and CreatedFolders of the run's path lists, newest first).
#include <windows.h>

#include <string>

struct PathLists;

// CreateFileFolder's answer when a folder below the extraction folder is a link (a reparse point):
// whatever a package plants or finds there, nothing is written through it.
constexpr DWORD kFolderIsLink = 681;  // ERROR_STOPPED_ON_SYMLINK (not in every SDK)

class CCabFile {
public:
    // Records the folder chain of `fileFolder` up to (not including) `extractionFolder`, then creates
    // `fileFolder` with its missing parents. 0, kFolderIsLink, or the Win32 error of the failed creation.
    static DWORD CreateFileFolder(const std::wstring& fileFolder, const std::wstring& extractionFolder,
                                  PathLists& paths);
    // Adds each folder from `fileFolder` upwards to FolderChain, stopping at one already listed or
    // at the extraction folder.
    static void RecordFolderChain(const std::wstring& fileFolder, const std::wstring& extractionFolder,
                                  PathLists& paths);
    // Creates `folder` and its missing parents; each folder created goes to the head of CreatedFolders.
    static DWORD CreateFolder(const std::wstring& folder, PathLists& paths);
    static bool IsDirectory(const std::wstring& folder);
};
