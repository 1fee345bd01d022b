#pragma once
// Helpers shared by the tests: scratch folders on the test drive D:, files, registry test keys.
#include <windows.h>

#include <string>
#include <vector>

namespace testenv {

// A fresh empty folder under D:\tarvex-tests\ (removed with its content on destruction).
class ScratchDir {
public:
    explicit ScratchDir(const std::wstring& hint = L"t");
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::wstring& Path() const { return m_path; }  // ends with "\"
    std::wstring operator/(const std::wstring& name) const { return m_path + name; }

private:
    std::wstring m_path;
};

void WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes);
void WriteFileText(const std::wstring& path, const std::string& utf8);
// Writes an INI file as UTF-16LE with a byte-order mark.
void WriteUtf16File(const std::wstring& path, const std::wstring& text);
std::vector<uint8_t> ReadFileBytes(const std::wstring& path);
std::string ReadFileText(const std::wstring& path);
bool PathExists(const std::wstring& path);
// Lines of a text file (CR LF or LF), without their line ends.
std::vector<std::string> ReadLines(const std::wstring& path);

// Sets an environment variable of this process (inherited by the programs it starts) for the
// lifetime of the object, and removes it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const wchar_t* name, const std::wstring& value) : m_name(name)
    {
        ::SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedEnv() { ::SetEnvironmentVariableW(m_name.c_str(), nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::wstring m_name;
};

// True when the harness mounted the 1 MiB drive E: (TARVEX_SMALL_DRIVE is "yes"); full-drive
// tests skip otherwise.
bool SmallDriveMounted();

// Folder of the test's own executable (the build's bin folder on X:), with a trailing "\".
std::wstring BinDir();

}  // namespace testenv
