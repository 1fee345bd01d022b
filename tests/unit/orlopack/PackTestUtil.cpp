#include "PackTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "TestEnv.h"
#include "util/Handles.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/WideFormat.h"

namespace packtest {

std::vector<uint8_t> Content(const TreeFile& file)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(file.size));
    if (file.seed == 0) {
        static const char text[] = "The quick brown fox jumps over the lazy dog. 0123456789\r\n";
        for (size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<uint8_t>(text[i % (sizeof(text) - 1)]);
        }
        return bytes;
    }
    uint32_t x = file.seed;
    for (uint8_t& b : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<uint8_t>(x);
    }
    return bytes;
}

void WriteLongPathFile(const std::wstring& path, const std::vector<uint8_t>& bytes)
{
    const std::wstring full = L"\\\\?\\" + path;
    for (size_t pos = full.find(L'\\', 7); pos != std::wstring::npos; pos = full.find(L'\\', pos + 1)) {
        ::CreateDirectoryW(full.substr(0, pos).c_str(), nullptr);
    }
    UniqueFileHandle file(
        ::CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.Valid()) << WideToUtf8(path);
    DWORD written = 0;
    if (!bytes.empty()) {
        ASSERT_TRUE(::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    }
}

void MakeTree(const std::wstring& root, const std::vector<TreeFile>& files)
{
    for (const TreeFile& file : files) {
        const std::wstring path = root + file.relative;
        WriteLongPathFile(path, Content(file));
        FILETIME stamp{};
        ASSERT_TRUE(::SystemTimeToFileTime(&file.time, &stamp));
        UniqueFileHandle handle(
            ::CreateFileW((L"\\\\?\\" + path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(handle.Valid());
        ASSERT_TRUE(::SetFileTime(handle.Get(), nullptr, nullptr, &stamp));
        handle.Reset();
        ASSERT_TRUE(::SetFileAttributesW((L"\\\\?\\" + path).c_str(), file.attributes));
        const DWORD rhs = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        ASSERT_EQ(::GetFileAttributesW((L"\\\\?\\" + path).c_str()) & rhs, file.attributes & rhs) << WideToUtf8(path);
    }
}

std::vector<std::wstring> CompareTree(const std::vector<TreeFile>& files, const std::wstring& source,
                                      const std::wstring& extracted)
{
    std::vector<std::wstring> differences;
    for (const TreeFile& file : files) {
        const std::wstring path = extracted + file.relative;
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
            differences.push_back(L"missing: " + file.relative);
            continue;
        }
        if (testenv::ReadFileBytes(path) != Content(file)) {
            differences.push_back(L"content differs: " + file.relative);
        }
        FILETIME expected{};
        ::SystemTimeToFileTime(&file.time, &expected);
        const uint64_t want = (static_cast<uint64_t>(expected.dwHighDateTime) << 32) | expected.dwLowDateTime;
        const uint64_t have =
            (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
        // MS-DOS times count 2-second steps: the stored time is the source time rounded down.
        const uint64_t step = 20000000;
        if (have != want - (want % step)) {
            differences.push_back(
                FormatW(L"time differs: %ls (%I64d s)", file.relative.c_str(),
                        static_cast<long long>((static_cast<int64_t>(have) - static_cast<int64_t>(want)) / 10000000)));
        }
        // Compared with the source as the system reports it: Wine shows every plain file as archive.
        const DWORD kept =
            FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
        const DWORD sourceAttributes = ::GetFileAttributesW((L"\\\\?\\" + source + file.relative).c_str());
        if ((data.dwFileAttributes & kept) != (sourceAttributes & kept)) {
            differences.push_back(FormatW(L"attributes differ: %ls (%x, source %x)", file.relative.c_str(),
                                          data.dwFileAttributes & kept, sourceAttributes & kept));
        }
    }
    return differences;
}

orlopack::BuildOptions Options(const std::wstring& source, const std::wstring& output, const std::wstring& base)
{
    orlopack::BuildOptions options;
    options.sourceFolder = source;
    options.outputFolder = output;
    options.baseName = base;
    options.templateText = L"; sample\r\n[Package]\r\nName=" + base + L"\r\nNameDispl=Test\r\nVersionString=1.0\r\n";
    options.setId = 4711;
    return options;
}

std::vector<std::pair<std::wstring, std::vector<uint8_t>>> Snapshot(const std::wstring& folder)
{
    std::vector<std::pair<std::wstring, std::vector<uint8_t>>> files;
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(::FindFirstFileW((folder + L"*").c_str(), &data));
    if (find) {
        do {
            if (!CUtil::IsDotEntry(data.cFileName)) {
                const std::wstring path = folder + data.cFileName;
                files.emplace_back(data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                                                       ? std::vector<uint8_t>{}
                                                       : testenv::ReadFileBytes(path));
            }
        } while (::FindNextFileW(find.Get(), &data));
    }
    std::sort(files.begin(), files.end());
    return files;
}

namespace {
std::string Drain(HANDLE pipe)
{
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(pipe, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        text.append(buffer, read);
    }
    return text;
}
} // namespace

int RunOrloPack(const std::wstring& arguments, std::string& out, std::string& err)
{
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE outRead = nullptr;
    HANDLE outWrite = nullptr;
    HANDLE errRead = nullptr;
    HANDLE errWrite = nullptr;
    ::CreatePipe(&outRead, &outWrite, &inherit, 0);
    ::CreatePipe(&errRead, &errWrite, &inherit, 0);
    ::SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    UniqueKernelHandle outReader(outRead), errReader(errRead);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    std::wstring command = L"\"" + testenv::BinDir() + L"OrloPack.exe\" " + arguments;
    PROCESS_INFORMATION process{};
    const BOOL started = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                          nullptr, &startup, &process);
    ::CloseHandle(outWrite);
    ::CloseHandle(errWrite);
    if (!started) {
        err = "cannot start OrloPack.exe";
        return -1;
    }
    UniqueKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
    std::thread errThread([&] { err = Drain(errReader.Get()); });
    out = Drain(outReader.Get());
    errThread.join();
    ::WaitForSingleObject(process.hProcess, 120000);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    return static_cast<int>(code);
}

} // namespace packtest
