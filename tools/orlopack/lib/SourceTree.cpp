// Walking the source folder of a package.
#include "SourceTree.h"

#include <algorithm>

#include "PackText.h"
#include "util/Handles.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/WideFormat.h"

namespace orlopack {

namespace {

constexpr uint64_t kMaxFileBytes = 0xFFFFFFFFull; // the cabinet's file size field is 32 bits

std::wstring SystemText(DWORD code)
{
    return TrimW(CUtil::FormatErrorText(code));
}

bool Walk(const std::wstring& root, const std::wstring& relative, SourceScan& scan, std::wstring& error)
{
    const std::wstring folder = relative.empty() ? root : root + relative;
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(::FindFirstFileW(LongPath(folder + L"\\*").c_str(), &data));
    if (!find) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_NO_MORE_FILES) {
            return true;
        }
        error = FormatW(L"cannot list the folder %ls: %ls", folder.c_str(), SystemText(code).c_str());
        return false;
    }
    bool empty = true;
    do {
        const std::wstring name = data.cFileName;
        if (CUtil::IsDotEntry(name)) {
            continue;
        }
        empty = false;
        const std::wstring childRelative = relative + L"\\" + name;
        const std::wstring childPath = root + childRelative;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                scan.warnings.push_back(
                    FormatW(L"%ls is a link to another folder and is not followed", childPath.c_str()));
                continue;
            }
            if (!Walk(root, childRelative, scan, error)) {
                return false;
            }
            continue;
        }
        SourceFile file;
        file.path = childPath;
        file.storedName = childRelative;
        file.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        file.lastWrite = data.ftLastWriteTime;
        file.attributes = data.dwFileAttributes;
        if (file.size > kMaxFileBytes) {
            error = FormatW(L"%ls is %ls; a cabinet cannot store a file of 4 GiB or more", childPath.c_str(),
                            FormatBytes(file.size).c_str());
            return false;
        }
        const size_t nameBytes = WideToUtf8(file.storedName).size();
        if (nameBytes > kMaxStoredNameBytes) {
            error = FormatW(L"the stored name %ls is %u bytes long; a cabinet holds names of at most %u bytes "
                            L"and the package could not write it on any target",
                            file.storedName.c_str(), static_cast<unsigned>(nameBytes),
                            static_cast<unsigned>(kMaxStoredNameBytes));
            return false;
        }
        // Found out now, not half-way through compressing: a locked or unreadable file.
        UniqueFileHandle probe(::CreateFileW(LongPath(childPath).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
        if (!probe) {
            const DWORD code = ::GetLastError();
            error = FormatW(L"cannot read %ls: %ls", childPath.c_str(), SystemText(code).c_str());
            return false;
        }
        scan.totalBytes += file.size;
        scan.files.push_back(file);
    } while (::FindNextFileW(find.Get(), &data));
    const DWORD code = ::GetLastError();
    if (code != ERROR_NO_MORE_FILES) {
        error = FormatW(L"cannot list the folder %ls: %ls", folder.c_str(), SystemText(code).c_str());
        return false;
    }
    if (empty && !relative.empty()) {
        scan.notices.push_back(
            FormatW(L"the empty folder %ls is not stored (a cabinet set holds files only)", relative.c_str()));
    }
    return true;
}

} // namespace

std::wstring FullPathOf(const std::wstring& path)
{
    DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        return path;
    }
    std::wstring full(size, L'\0');
    size = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    full.resize(size);
    while (full.size() > 3 && full.back() == L'\\') {
        full.pop_back();
    }
    return full;
}

bool ScanSourceTree(const std::wstring& folder, SourceScan& scan, std::wstring& error)
{
    scan = SourceScan{};
    if (folder.empty()) {
        error = L"no source folder given";
        return false;
    }
    const std::wstring root = FullPathOf(folder);
    const DWORD attributes = ::GetFileAttributesW(LongPath(root).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = ::GetLastError();
        error = FormatW(L"the source folder %ls does not exist (%ls)", root.c_str(), SystemText(code).c_str());
        return false;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error = FormatW(L"the source %ls is a file, not a folder", root.c_str());
        return false;
    }
    // A drive root "C:\" already ends with the separator that every stored name begins with.
    const std::wstring base = root.back() == L'\\' ? root.substr(0, root.size() - 1) : root;
    if (!Walk(base, L"", scan, error)) {
        return false;
    }
    if (scan.files.empty()) {
        error = FormatW(L"the source folder %ls holds no files", root.c_str());
        return false;
    }
    std::sort(scan.files.begin(), scan.files.end(), [](const SourceFile& a, const SourceFile& b) {
        const int order = ::CompareStringOrdinal(a.storedName.c_str(), -1, b.storedName.c_str(), -1, TRUE);
        return order == CSTR_EQUAL ? a.storedName < b.storedName : order == CSTR_LESS_THAN;
    });
    for (size_t i = 1; i < scan.files.size(); ++i) {
        if (EqualsNoCase(scan.files[i - 1].storedName, scan.files[i].storedName)) {
            scan.warnings.push_back(FormatW(L"%ls and %ls differ only in letter case; on Windows one overwrites "
                                            L"the other when the package is extracted",
                                            scan.files[i - 1].storedName.c_str(), scan.files[i].storedName.c_str()));
        }
    }
    return true;
}

} // namespace orlopack
