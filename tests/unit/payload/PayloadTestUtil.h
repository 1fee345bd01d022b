#pragma once
// Helpers of the payload tests: packages made by the writer, raw entries, the files of a folder tree.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "TestEnv.h"
#include "settings/PayloadWriter.h"
#include "util/Handles.h"
#include "util/StringUtil.h"

namespace payloadtest {

// The stub every test package is built on: it carries a version resource to stamp.
inline std::wstring Stub()
{
    return testenv::BinDir() + L"payload_probe.exe";
}

inline uint32_t FileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ? data.nFileSizeLow : 0;
}

inline std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

inline std::vector<uint8_t> Pattern(size_t size, uint8_t seed)
{
    std::vector<uint8_t> bytes(size);
    uint32_t x = seed * 2654435761u + 1;
    for (auto& b : bytes) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 24);
    }
    return bytes;
}

inline PayloadEntry Entry(const std::wstring& name, const std::vector<uint8_t>& data, uint16_t type = 200)
{
    PayloadEntry entry;
    entry.name = name;
    entry.type = type;
    entry.data = data;
    return entry;
}

// Builds a package from the stub; returns the payload offset (the stub's size).
inline uint32_t MakePackage(const std::wstring& output, const std::vector<PayloadEntry>& entries)
{
    std::wstring error;
    const DWORD code = CPayloadWriter::WritePackage(Stub(), output, entries, error);
    EXPECT_EQ(code, 0u) << WideToUtf8(error);
    return FileSize(Stub());
}

inline void AppendBytes(const std::wstring& path, const std::vector<uint8_t>& bytes)
{
    UniqueFileHandle file(
        ::CreateFileW(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.Valid());
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    ASSERT_EQ(written, bytes.size());
}

inline void Put32(std::vector<uint8_t>& bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

inline std::vector<uint8_t> Utf16(const std::wstring& text)
{
    std::vector<uint8_t> bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return bytes;
}

inline std::vector<uint8_t> Marker()
{
    const auto header = EncodePayloadEntryHeader(L"x", 0, 200);
    return std::vector<uint8_t>(header.begin(), header.begin() + 76);
}

// Every file and folder below `root` (relative paths, folders with a trailing "\").
inline void ListTree(const std::wstring& root, const std::wstring& prefix, std::set<std::wstring>& out)
{
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(::FindFirstFileW((root + prefix + L"*").c_str(), &data));
    if (!find) {
        return;
    }
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out.insert(prefix + name + L"\\");
            ListTree(root, prefix + name + L"\\", out);
        } else {
            out.insert(prefix + name);
        }
    } while (::FindNextFileW(find.Get(), &data));
}

inline std::set<std::wstring> Tree(const std::wstring& root)
{
    std::set<std::wstring> out;
    ListTree(root, L"", out);
    return out;
}

inline std::string Narrow(const std::wstring& text)
{
    return WideToUtf8(text);
}

} // namespace payloadtest
