#pragma once
// Pure rules of the package settings (no file access): flags, buffer size, required space.
#include <cstdint>
#include <string>
#include <vector>

// [Runtime] AllowChangeTarget: 1 for "1" in any case, else 0.
int AllowChangeTargetOf(const std::wstring& value);
// The key that names the setup to launch: "AutoLaunch1" when Multilaunch is exactly "1", else "AutoLaunch".
const wchar_t* AutoLaunchKeyOf(const std::wstring& multilaunch);

// [Runtime] WaitForAutolaunchFinish: "0" off, "1" or empty on, anything else on but invalid.
struct WaitRule {
    int wait = 1;
    bool valid = true;
};
WaitRule WaitForAutolaunchFinishOf(const std::wstring& value);

// "Silent" (530), "Unattended" (520), else "Full GUI".
const wchar_t* RunModeName(int runMode);

// Copy buffer: [Size] 128MB per started 128 MiB of physical memory. 0 or a negative value means
// the default of 5,242,880; the product is capped at the largest int.
int CopyBufferSizeOf(uint64_t physicalBytes, int valuePer128MB);

// 64-bit size keys ([Size] PackageSize, CabSize): decimal text; not a number or negative gives 0.
uint64_t SizeValueOf(const std::wstring& text);

// Package size, plus the cabinet size for a single-file package whose extraction path and temp
// directory lie on the same drive (first two characters, any case); saturates instead of wrapping.
uint64_t RequiredSpaceOf(uint64_t packageSize, uint64_t cabSize, const std::wstring& extractionPath,
                         const std::wstring& tempDirectory, int multiPartDownload);

// "[NEWLINE]" becomes a line feed and "[TAB]" a tab.
std::wstring ExpandFinishMessage(const std::wstring& text);

// A temp settings folder's name: a GUID in its registry form with braces.
bool IsSettingsFolderName(const std::wstring& name);
// The files a temp settings folder receives: the properties file, language files ("default*.ulf"),
// the single-file package's cabinet ("WebCab1") and the images its properties name.
bool IsSettingsFileName(const std::wstring& name, const std::vector<std::wstring>& imageNames);
