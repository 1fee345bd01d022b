#pragma once
// Pure text rules of the package builder: sizes, names, cabinet dates and attributes.
#include <cstdint>
#include <string>

namespace orlopack {

// Cabinet attribute bits beyond the file attributes that are kept (read-only, hidden, system, archive).
constexpr uint16_t kCabKeptAttributes = 0x27;
constexpr uint16_t kCabNameIsUtf8 = 0x80;
constexpr uint16_t kCabTimeIsUtc = 0x100;

constexpr uint64_t kMinPartSize = 64 * 1024;  // room for headers and at least one data block
constexpr uint64_t kMaxPartSize = 0x7FFFFFFF; // largest cabinet the format can describe
constexpr uint64_t kDefaultPartSize = 64ull * 1024 * 1024;
constexpr size_t kMaxStoredNameBytes = 255; // a stored name and its terminator fit 256 bytes
constexpr size_t kMaxTargetPath = 260;      // longest target path the front end writes

// "65536", "512K", "64M", "64MB", "64MiB", "2G" (binary units, any letter case). False with `error`
// set for anything else, for 0 and for values that do not fit 64 bits.
bool ParseSize(const std::wstring& text, uint64_t& bytes, std::wstring& error);
// "64 MiB", "1.5 KiB", "17 bytes".
std::wstring FormatBytes(uint64_t bytes);

// "Name.001": the base name, a dot and the part number with at least three digits.
std::wstring PartFileName(const std::wstring& baseName, int partNumber);
// Why `name` cannot be a base name of part files, or empty when it can.
std::wstring CheckBaseName(const std::wstring& name);

// Language files the front end looks for: "defaultNNNN.ulf" gives NNNN, "Defaultx.ulf" gives 0;
// any other name gives -1. Letter case does not matter.
int LanguageFileLcid(const std::wstring& fileName);

bool IsPlainAscii(const std::wstring& text);

// MS-DOS date and time words of a calendar time (seconds round down to even). Times before 1980 or
// after 2107 get the nearest end of that range; returns false when it had to do that.
bool DosDateTimeOf(int year, int month, int day, int hour, int minute, int second, uint16_t& date, uint16_t& time);
// "2017-12-06 21:53:42" from MS-DOS date and time words.
std::wstring DosDateTimeText(uint16_t date, uint16_t time);
// "RHSA" with "-" for missing bits, then " utf8" and " utc" for the name and time bits.
std::wstring CabAttributeText(uint16_t attributes);

// The [PartFileIno] value of a part: "Y2017:M12:D6:H21:M53:S42:MS0".
std::wstring PartStampText(int year, int month, int day, int hour, int minute, int second, int millisecond);

// 32 lower-case hexadecimal digits.
bool IsMd5Text(const std::wstring& text);

} // namespace orlopack
