#pragma once
// Helpers of the builder tests: source trees with known content, times and attributes, and their
// comparison with an extracted tree.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "OrloPack.h"

namespace packtest {

struct TreeFile {
    std::wstring relative; // "sub\file.txt"
    uint64_t size = 0;
    uint32_t seed = 0; // content: pseudo-random bytes from this seed (0: repeated text)
    DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
    SYSTEMTIME time{2019, 7, 0, 14, 10, 21, 33, 0}; // UTC
};

// Creates the files under `root` (ends with "\"), with contents, attributes and last-write times.
void MakeTree(const std::wstring& root, const std::vector<TreeFile>& files);
std::vector<uint8_t> Content(const TreeFile& file);

// Differences between the tree made from `files` under `source` and `extracted` (bytes, times to
// the 2-second steps of a cabinet, kept attributes); empty when equal. Both folders end with "\".
std::vector<std::wstring> CompareTree(const std::vector<TreeFile>& files, const std::wstring& source,
                                      const std::wstring& extracted);

// Options for a small package from `source` into `output` with a fixed set id.
orlopack::BuildOptions Options(const std::wstring& source, const std::wstring& output, const std::wstring& base);

// All bytes of every file in `folder` (not recursive), by name: to show that a failed build left
// an earlier package untouched.
std::vector<std::pair<std::wstring, std::vector<uint8_t>>> Snapshot(const std::wstring& folder);

// Runs OrloPack.exe with `arguments`; returns its exit code, stdout and stderr as text.
int RunOrloPack(const std::wstring& arguments, std::string& out, std::string& err);

// Writes bytes to a path that may be longer than MAX_PATH.
void WriteLongPathFile(const std::wstring& path, const std::vector<uint8_t>& bytes);

} // namespace packtest
