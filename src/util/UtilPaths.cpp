// CUtil: file and path helpers.
#include <windows.h>

#include <vector>

#include "util/Handles.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/UtilRules.h"
#include "util/WideFormat.h"

bool CUtil::FileExists(const std::wstring& path)
{
    if (path.size() >= 256) {
        return false;
    }
    WIN32_FIND_DATAW data;
    const UniqueFindHandle found(::FindFirstFileW(path.c_str(), &data));
    return found.Valid();
}

bool CUtil::IsDotEntry(const std::wstring& name) { return name == L"." || name == L".."; }

std::wstring CUtil::EnsureTrailingBackslash(const std::wstring& path)
{
    if (path.empty() || path.back() == L'\\') {
        return path;
    }
    return path + L"\\";
}

std::wstring CUtil::SplitPath(const std::wstring& path, int which)
{
    const size_t slash = path.rfind(L'\\');
    const bool hasFolder = slash != std::wstring::npos && slash > 0;
    if (which == 1) {
        return hasFolder ? path.substr(slash + 1) : path;
    }
    return hasFolder ? path.substr(0, slash + 1) : std::wstring();
}

std::wstring CUtil::GetExtension(const std::wstring& path)
{
    const size_t dot = path.rfind(L'.');
    if (path.size() <= 4 || dot == std::wstring::npos) {
        return {};
    }
    return path.substr(dot + 1);
}

std::wstring CUtil::RemoveExtension(const std::wstring& path)
{
    const size_t dot = path.rfind(L'.');
    if (path.size() <= 4 || dot == std::wstring::npos) {
        return {};
    }
    return path.substr(0, dot);
}

std::wstring CUtil::GetPathRoot(const std::wstring& path)
{
    if (path.size() > 2 && path[0] == L'\\' && path[1] == L'\\') {
        const size_t next = path.find(L'\\', 2);
        return next == std::wstring::npos ? path : path.substr(0, next + 1);
    }
    return path.substr(0, 2);
}

std::wstring CUtil::AddUserNameToFileName(const std::wstring& path) const
{
    const std::wstring folder = SplitPath(path, 0);
    std::wstring file = SplitPath(path, 1);
    const size_t dot = file.rfind(L'.');
    const std::wstring extension = dot == std::wstring::npos ? std::wstring() : file.substr(dot);
    const std::wstring stem = dot == std::wstring::npos ? file : file.substr(0, dot);
    const std::wstring newName = stem + FormatW(L"_%ls%ls", GetCurrentUserName().c_str(), extension.c_str());
    // A bare file name stays relative: "\\name" would point at the root of the current drive.
    if (folder.empty()) {
        return newName;
    }
    return FormatW(L"%ls\\%ls", folder.substr(0, folder.size() - 1).c_str(), newName.c_str());
}

std::wstring CUtil::GetModulePath()
{
    wchar_t buffer[1024] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer, 1024);
    return std::wstring(buffer, length);
}

std::wstring CUtil::GetModuleFolder()
{
    const std::wstring path = GetModulePath();
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring CUtil::GetModuleName()
{
    const std::wstring path = GetModulePath();
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring CUtil::ExpandPercentPath(const std::wstring& text)
{
    if (text.empty() || text[0] != L'%') {
        return text;
    }
    std::list<std::wstring> pieces;
    // Split keeps pieces last first; walk from the tail for the order of the text.
    Split(text, L"%", pieces);
    if (pieces.empty()) {
        return {};
    }
    auto piece = pieces.rbegin();
    std::vector<wchar_t> value(32767, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(piece->c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (length == 0 || length >= value.size()) {
        return {};
    }
    std::wstring result(value.data(), length);
    ++piece;
    if (piece != pieces.rend()) {
        result += *piece;
    }
    return result;
}

int CUtil::IsPathShorterThan(const std::wstring& path, const std::wstring& limitText)
{
    return static_cast<int64_t>(path.size()) < ToInt64(limitText) ? 1 : -1;
}

std::wstring CUtil::GetCurrentUserName()
{
    wchar_t buffer[257] = {};
    DWORD size = 257;
    if (!::GetUserNameW(buffer, &size)) {
        return {};
    }
    return std::wstring(buffer);
}
