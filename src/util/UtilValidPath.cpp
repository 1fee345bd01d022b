// CUtil: validation of an extraction folder (IsValidPath) and the folder chain it test-creates.
#include <windows.h>

#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/UtilRules.h"

namespace {
// The absolute form of a path, or empty when the system cannot make one.
std::wstring FullPathOf(const std::wstring& path)
{
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return {};
    }
    std::wstring buffer(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), needed, buffer.data(), nullptr);
    if (length == 0 || length >= needed) {
        return {};
    }
    buffer.resize(length);
    return buffer;
}
} // namespace

int CUtil::IsValidPath(const std::wstring& input, std::wstring& root)
{
    // The member names what this call created: a folder an earlier call created and removed may
    // exist again by now (the extraction folder) and must never be removed from here.
    CreatedExtractionRoot.clear();

    std::wstring path = EnsureTrailingBackslash(input);
    if (const int textCheck = utilrules::CheckPathText(path); textCheck != kPathValid) {
        return textCheck;
    }
    utilrules::PathForm form = utilrules::ClassifyPath(path);
    if (form == utilrules::PathForm::DotRelative) {
        path = FullPathOf(path);
        form = utilrules::ClassifyPath(path);
    }

    std::wstring pathRoot;
    UINT driveType = DRIVE_UNKNOWN;
    if (form == utilrules::PathForm::Network) {
        if (utilrules::GetNetworkRoot(path, pathRoot) != kPathValid) {
            return kPathBadPathName;
        }
        driveType = DRIVE_REMOTE;
    } else if (form == utilrules::PathForm::Drive) {
        pathRoot = path.substr(0, 2);
    } else {
        return kPathBadPathName;
    }

    const std::wstring fullPath = FullPathOf(path);
    std::wstring rest;
    if (fullPath.empty() || !utilrules::StripRoot(fullPath, pathRoot, rest)) {
        return kPathBadPathName;
    }
    // A relative form may have grown when it was made absolute.
    if (fullPath.size() > 255) {
        return kPathNameTooLong;
    }
    if (driveType != DRIVE_REMOTE) {
        // "C:" alone would name the drive's current folder: ask about its root.
        driveType = ::GetDriveTypeW((pathRoot + L"\\").c_str());
    }
    const int notUsable = driveType == DRIVE_REMOTE ? kPathCannotMake : kPathAccessDenied;
    if (driveType != DRIVE_REMOVABLE && driveType != DRIVE_FIXED && driveType != DRIVE_REMOTE) {
        return kPathBadPathName;
    }

    std::wstring created;
    const bool chainMade = rest.empty() || CreateFolderChain(pathRoot, rest, created) == 0;
    const bool writable = chainMade && IsFolderWritable(fullPath, L"");
    // The test leaves no folders behind, also when the chain broke half-way.
    if (!created.empty()) {
        CreatedExtractionRoot = created;
        RemoveTreeStrict(created);
    }
    if (!writable) {
        return notUsable;
    }
    root = pathRoot;
    return kPathValid;
}

int CUtil::CreateFolderChain(const std::wstring& root, const std::wstring& rest, std::wstring& createdRoot)
{
    const std::wstring chain = EnsureTrailingBackslash(rest);
    bool createdAny = false;
    for (size_t slash = chain.find(L'\\', 1); slash != std::wstring::npos; slash = chain.find(L'\\', slash + 1)) {
        const std::wstring prefix = chain.substr(0, slash);
        if (prefix.find_first_not_of(L'\\') == std::wstring::npos) {
            continue;
        }
        const std::wstring folder = root + prefix;
        if (::CreateDirectoryW(folder.c_str(), nullptr)) {
            if (!createdAny) {
                createdRoot = folder;
                createdAny = true;
            }
            continue;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS) {
            return -1;
        }
    }
    return 0;
}
