#pragma once
// Pure rules of the extraction-path and space checks: size texts, path-error messages, limits.
#include <cstdint>
#include <string>

// "%.02f %s" in GB above 1 GiB, MB above 1 MiB, else KB (exactly 1 GiB is "1024.00 MB").
std::wstring FormatSizeText(uint64_t bytes);

// What an IsValidPath code turns into: the message id and the log text ("%s" is the path).
// Codes without a message give messageId 0 and an empty log text.
struct InvalidPathRule {
    int messageId = 0;
    const wchar_t* logFormat = L"";
};
InvalidPathRule InvalidPathRuleFor(int errorCode);

// [Runtime] ExtractPathMaxLength as a limit: 0 (no limit) when missing, not a number, 0 or negative.
int PathLengthLimitOf(const std::wstring& text);

// The message texts with their placeholders filled.
std::wstring FillInvalidPath(const std::wstring& text, const std::wstring& path);
std::wstring FillDriveSpace(const std::wstring& text407, const std::wstring& drive, const std::wstring& available);
std::wstring FillRequiredSpace(const std::wstring& text408, const std::wstring& required);
std::wstring FillDriveName(const std::wstring& text409, const std::wstring& drive);

// A license file name: at least 5 characters, ending in ".txt" or ".rtf" (any case).
bool HasLicenseFileForm(const std::wstring& path);
