#include "TestEnv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "util/StringUtil.h"
#include "util/Util.h"

namespace testenv {

ScratchDir::ScratchDir(const std::wstring& hint)
{
    const std::wstring base = L"D:\\tarvex-tests\\";
    ::CreateDirectoryW(base.c_str(), nullptr);
    m_path = base + hint + L"-" + CUtil::NewGuidString() + L"\\";
    if (!::CreateDirectoryW(m_path.c_str(), nullptr)) {
        const DWORD error = ::GetLastError();
        ADD_FAILURE() << "cannot create the scratch folder, error " << error;
    }
}

ScratchDir::~ScratchDir() { CUtil::RemoveTreeStrict(m_path.substr(0, m_path.size() - 1)); }

void WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        ADD_FAILURE() << "cannot write the test file " << WideToUtf8(path);
    }
}

void WriteFileText(const std::wstring& path, const std::string& utf8)
{
    WriteFileBytes(path, std::vector<uint8_t>(utf8.begin(), utf8.end()));
}

void WriteUtf16File(const std::wstring& path, const std::wstring& text)
{
    std::vector<uint8_t> bytes = {0xFF, 0xFE};
    for (wchar_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
    }
    WriteFileBytes(path, bytes);
}

std::vector<uint8_t> ReadFileBytes(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string ReadFileText(const std::wstring& path)
{
    const auto bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

bool PathExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> ReadLines(const std::wstring& path)
{
    std::vector<std::string> lines;
    std::istringstream stream(ReadFileText(path));
    std::string line;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

std::wstring BinDir() { return CUtil::GetModuleFolder() + L"\\"; }

bool SmallDriveMounted()
{
    const char* small = std::getenv("TARVEX_SMALL_DRIVE");
    return small != nullptr && std::string(small) == "yes";
}

}  // namespace testenv
