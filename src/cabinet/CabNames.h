#pragma once
// Pure rules of the cabinet engine over plain values: decoding and checking the file names stored in
// a cabinet, building target paths, renaming the next part of a set and reading part numbers.
#include <cstdint>
#include <string>
#include <string_view>

#include "util/NameRules.h"

constexpr uint16_t kCabAttribReadOnly = 0x01;
constexpr uint16_t kCabAttribHidden = 0x02;
constexpr uint16_t kCabAttribSystem = 0x04;
constexpr uint16_t kCabAttribArchive = 0x20;
constexpr uint16_t kCabAttribUtf8Name = 0x80;
constexpr uint16_t kCabAttribUtcTime = 0x100;
constexpr uint16_t kCabAttribApplied = 0x27; // read-only, hidden, system, archive
// The longest target path the engine writes; a longer one fails the extraction.
constexpr int kMaxTargetPath = 260;

// The stored name as UTF-16: UTF-8 when the attributes carry 0x80, else byte by byte.
std::wstring DecodeStoredName(std::string_view raw, uint16_t attributes);

// The stored name with "/" turned into "\" and a leading "\" (stored names are relative to the
// extraction folder; one without the leading "\" would otherwise land beside it).
std::wstring NormalizeStoredName(std::wstring_view name);

// Empty when a normalised stored name stays inside the extraction folder; otherwise why not
// (a drive or stream ":", a UNC or doubled separator, "." or ".." components, a device name).
std::wstring CheckStoredName(std::wstring_view normalized);

struct CabTargetPath {
    std::wstring relativeFolder; // "\sub\dir\" or "\"
    std::wstring fileName;       // "file.txt"
    std::wstring fileFolder;     // extraction folder + relative folder, ending with "\"
    std::wstring targetPath;     // fileFolder + fileName
};
// `targetFolder` ends with "\"; `normalized` begins with "\".
CabTargetPath BuildTargetPath(const std::wstring& targetFolder, const std::wstring& normalized);

// True when `path` lies inside `folder` (which ends with "\"), compared without case.
bool IsInsideFolder(const std::wstring& path, const std::wstring& folder);

// The name under which the part after `recorded` is looked for: the part-file base of `pattern`
// (formatted with `counter`) followed by the part suffix of `recorded` (from its last dot, or its
// last four characters). Empty when `recorded` is empty; `recorded` itself when there is no pattern.
std::wstring RenameNextCabinet(const std::wstring& pattern, int counter, const std::wstring& recorded);

// Part number of a part-file name: the text behind its last dot ("Name.002" -> 2, "Name.1000" ->
// 1000), or its last three characters without a dot; 0 unless that text is all digits.
// `digits` receives the text that was read.
int ParsePartNumber(const std::wstring& path, std::wstring& digits);
