#pragma once
// Removal of what the run extracted, the list file for a launcher that takes over the deletion, and
// the removal of the temporary settings folder.
//
// Works on the path lists of Paths() (filled by the cabinet engine), Util().CreatedExtractionRoot,
// the run flags of Flags() and the extraction path / temp folder of Settings(). Nothing is ever
// deleted that the run did not extract or list: a folder that still holds anything else stays and
// is logged "Could not delete folder : %s".
//
// Entry points for the application's shutdown:
//   CleanupAtExit(true)   from ExitInstance: delete on exit (when DeleteOnExit, WaitForAutolaunchFinish
//                         and SelfDeleteOnExit are all 1), then RemoveOrloTempDirectory().
//   CleanupAtExit(false)  from Quit: only RemoveOrloTempDirectory().
// RemoveOrloTempDirectory() is also called by the launch step before the setup starts; it acts once
// per run. The application registers its properties-handle closer in LaunchData().ClosePropertiesHandle.
#include <string>

// Writes ExtractedFilesToDelete.txt into the extraction folder: 1 when written, 0 when it could not
// be created or written whole. Its own path is added to PackageFiles first (it is the last file line).
// Files kept at the overwrite prompt are not listed, nor are the folders that hold them.
int WriteToDeletetxt();
// After a cancel: deletes ExtractedFiles and removes the folders this run created.
void DeleteExtractedContents();
// Delete on exit: deletes the PackageFiles this run wrote (the list file too; files kept at the
// overwrite prompt stay) and every FolderChain folder that holds nothing else.
void DeleteExtractedFilesAndFolders();
// Removes `folder` when it holds only FolderChain folders (recursively): non-zero when removed or
// not a folder (-1), 0 when it must stay.
int DeleteDirectory(const std::wstring& folder);
// Closes the properties handle; once per run: after a cancel DeleteExtractedContents(), then the
// temporary settings folder is removed (files that cannot be deleted are logged).
void RemoveOrloTempDirectory();
// The cleanup of the application's exit, in its order (see above).
void CleanupAtExit(bool normalExit);

// Ownership test: every file below `folder` is a PackageFiles entry this run wrote (not a kept one)
// and every sub-folder is in FolderChain.
bool IsFolderOwnedByPackage(const std::wstring& folder);
// Removes `folder` and the empty folders below it; any file left in the tree keeps it (and the
// folders on its way). -1 when it is not a folder, 1 when removed, 0 when it stays.
int RemoveEmptyFolderTree(const std::wstring& folder);
// True when `root` is the extraction path itself or one of its parent folders (whole components,
// any case).
bool IsFolderOnExtractionPath(const std::wstring& root, const std::wstring& extractionPath);
