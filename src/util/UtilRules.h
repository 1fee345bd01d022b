#pragma once
// Pure rules behind CUtil: decisions over plain values, kept apart from the Win32 calls that feed
// them so that tables of cases can test them.
#include <cstdint>
#include <functional>
#include <list>
#include <string>

namespace utilrules {

// The text checks of IsValidPath, before the file system is asked (`path` ends with "\"):
// 161 for a forbidden character or an invalid component, 206 above 255 characters, else 0.
int CheckPathText(const std::wstring& path);

enum class PathForm {
    Drive,        // "C:\..."
    Network,      // "\\server\share\..."
    DotRelative,  // "..\..." or "\..\..." (made absolute before it is judged)
    Other,        // anything else: refused
};
PathForm ClassifyPath(const std::wstring& path);

// The root of a network path ("\\server\share\"), or 161 when the share is missing or the server
// name does not start with an ASCII letter, a digit or ".". `root` is written only on success.
int GetNetworkRoot(const std::wstring& path, std::wstring& root);

// `path` without the leading `root` (compared without regard to case); false when it does not start so.
bool StripRoot(const std::wstring& path, const std::wstring& root, std::wstring& rest);

// True when `format` holds exactly one integer conversion ("%03d", "%u", ...), with a width and a
// precision of at most two digits, and otherwise only literal text and "%%": the only formats a
// number may safely be formatted into.
bool IsSingleIntegerFormat(const std::wstring& format);

// "Total Space: ... \tUsed space: ... \tFree space: ..." of a drive's byte counts.
std::wstring FormatDriveSpaceText(uint64_t totalBytes, uint64_t freeBytes);

// Reads processor names by index 0, 1, 2, ... through `readName` (false: no key for that index),
// inserting each at the head of `list`; stops at the first missing key or after an empty name.
void CollectProcessorNames(const std::function<bool(int index, std::wstring& name)>& readName,
                           std::list<std::wstring>& list);

}  // namespace utilrules
