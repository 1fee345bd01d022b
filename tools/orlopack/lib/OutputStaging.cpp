// Staging folder and the final move into place.
#include "OutputStaging.h"

#include <windows.h>

#include <shlobj.h>

#include "SourceTree.h"
#include "util/Handles.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/WideFormat.h"

namespace orlopack {

namespace {
std::wstring SystemText(DWORD code)
{
    return TrimW(CUtil::FormatErrorText(code));
}
} // namespace

OutputStaging::~OutputStaging()
{
    if (!m_folder.empty()) {
        CUtil::RemoveTreeStrict(LongPath(m_folder.substr(0, m_folder.size() - 1)));
    }
}

bool OutputStaging::Create(const std::wstring& outputFolder, std::wstring& error)
{
    const std::wstring output = FullPathOf(outputFolder.empty() ? L"." : outputFolder);
    const DWORD attributes = ::GetFileAttributesW(LongPath(output).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const int code = ::SHCreateDirectoryExW(nullptr, output.c_str(), nullptr);
        if (code != ERROR_SUCCESS && code != ERROR_ALREADY_EXISTS && code != ERROR_FILE_EXISTS) {
            error = FormatW(L"cannot create the output folder %ls: %ls", output.c_str(),
                            SystemText(static_cast<DWORD>(code)).c_str());
            return false;
        }
    } else if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error = FormatW(L"the output folder %ls is a file", output.c_str());
        return false;
    }
    m_output = CUtil::EnsureTrailingBackslash(output);
    const std::wstring folder = m_output + L"~orlopack-" + CUtil::StripBraces(CUtil::NewGuidString());
    if (!::CreateDirectoryW(LongPath(folder).c_str(), nullptr)) {
        const DWORD code = ::GetLastError();
        error = FormatW(L"cannot write to the output folder %ls: %ls", output.c_str(), SystemText(code).c_str());
        return false;
    }
    m_folder = folder + L"\\";
    return true;
}

bool OutputStaging::Commit(const std::vector<std::wstring>& names, std::wstring& error)
{
    // Files of an earlier build are parked in the staging folder first, so they can go back.
    const std::wstring parked = m_folder + L"previous\\";
    bool parkedMade = false;
    std::vector<std::wstring> moved; // names now in the output folder
    std::vector<std::wstring> parkedNames;
    auto rollBack = [&]() {
        for (const std::wstring& name : moved) {
            ::DeleteFileW(LongPath(m_output + name).c_str());
        }
        for (const std::wstring& name : parkedNames) {
            ::MoveFileExW(LongPath(parked + name).c_str(), LongPath(m_output + name).c_str(),
                          MOVEFILE_REPLACE_EXISTING);
        }
    };
    for (const std::wstring& name : names) {
        const std::wstring target = m_output + name;
        if (::GetFileAttributesW(LongPath(target).c_str()) != INVALID_FILE_ATTRIBUTES) {
            if (!parkedMade) {
                ::CreateDirectoryW(LongPath(parked).c_str(), nullptr);
                parkedMade = true;
            }
            CUtil::ClearReadOnly(LongPath(target));
            if (!::MoveFileExW(LongPath(target).c_str(), LongPath(parked + name).c_str(), MOVEFILE_REPLACE_EXISTING)) {
                const DWORD code = ::GetLastError();
                error = FormatW(L"cannot replace %ls: %ls", target.c_str(), SystemText(code).c_str());
                rollBack();
                return false;
            }
            parkedNames.push_back(name);
        }
        if (!::MoveFileExW(LongPath(m_folder + name).c_str(), LongPath(target).c_str(), MOVEFILE_REPLACE_EXISTING)) {
            const DWORD code = ::GetLastError();
            error = FormatW(L"cannot move the new %ls into place: %ls", target.c_str(), SystemText(code).c_str());
            rollBack();
            return false;
        }
        moved.push_back(name);
    }
    return true;
}

bool ReadWholeFile(const std::wstring& path, std::vector<uint8_t>& bytes, std::wstring& error)
{
    UniqueFileHandle file(::CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        const DWORD code = ::GetLastError();
        error = FormatW(L"cannot read %ls: %ls", path.c_str(), SystemText(code).c_str());
        return false;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart > 256 * 1024 * 1024) {
        error = FormatW(L"%ls is too large for a settings file", path.c_str());
        return false;
    }
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && (!::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size())) {
        const DWORD code = ::GetLastError();
        error = FormatW(L"cannot read %ls: %ls", path.c_str(), SystemText(code).c_str());
        return false;
    }
    return true;
}

bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& bytes, std::wstring& error)
{
    UniqueFileHandle file(::CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || (!bytes.empty() &&
                  (!::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
                   written != bytes.size()))) {
        const DWORD code = ::GetLastError();
        error = FormatW(L"cannot write %ls: %ls", path.c_str(), SystemText(code).c_str());
        return false;
    }
    return true;
}

} // namespace orlopack
