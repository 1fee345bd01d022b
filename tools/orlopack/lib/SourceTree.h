#pragma once
// The files of a package's source folder, as the cabinet set will store them.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "util/NameRules.h"

namespace orlopack {

struct SourceFile {
    std::wstring path;       // full path on disk
    std::wstring storedName; // "\folder\file.txt": the name inside the cabinet set
    uint64_t size = 0;
    FILETIME lastWrite{}; // UTC
    DWORD attributes = 0;
};

struct SourceScan {
    std::vector<SourceFile> files; // sorted by stored name, ignoring case
    uint64_t totalBytes = 0;
    std::vector<std::wstring> notices;
    std::vector<std::wstring> warnings;
};

// Walks `folder` (every file, hidden and system ones included) and checks that each file can be
// read and stored. False with `error` set on the first file that cannot.
bool ScanSourceTree(const std::wstring& folder, SourceScan& scan, std::wstring& error);

// Full path without a trailing backslash (except for a drive root).
std::wstring FullPathOf(const std::wstring& path);

} // namespace orlopack
