// CExtractorValidator: the extraction folder (candidates, validity, length limit) and free space.
#include <windows.h>

#include "log/BuildLogFile.h"
#include "settings/Messages.h"
#include "settings/OrloInitalizer.h"
#include "util/ProcessContext.h"
#include "util/Profile.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/WideFormat.h"
#include "validation/ExtractorValidator.h"
#include "validation/OSValidator.h"
#include "validation/PathRules.h"

int CExtractorValidator::ShowMessage(const std::wstring& text) const
{
    if (m_messageBox != nullptr) {
        return m_messageBox(text, MB_OK, 0);
    }
    return ::MessageBoxW(nullptr, text.c_str(), CUtil::GetModulePath().c_str(), MB_OK | MB_ICONEXCLAMATION);
}

std::wstring CExtractorValidator::GetFinalExtractPathParam(bool skipCommandLine, const std::wstring& commandLinePath,
                                                           const std::wstring& packageName, uint64_t requiredBytes)
{
    const wchar_t* function = L"GetFinalExtractPathParam";
    std::wstring path;
    if (!skipCommandLine && !commandLinePath.empty()) {
        Log().WriteLine(kLogInfo, function, L"Extract path from command line : %ls", commandLinePath.c_str());
        path = CUtil::ExpandPercentPath(commandLinePath);
        if (ValidatePathAndSpaceAvailable(path, 0, requiredBytes) == 0) {
            return path;
        }
    }
    const std::wstring osPath = OsValidator().GetExtractPathForOS();
    if (!osPath.empty()) {
        path = CUtil::ExpandPercentPath(osPath);
        Log().WriteLine(kLogInfo, function, L"Extract path for the OS : %ls", path.c_str());
        if (ValidatePathAndSpaceAvailable(path, 0, requiredBytes) == 0) {
            return path;
        }
    }
    const std::wstring packagePath = ReadProfileString(m_propertiesPath, L"Runtime", L"ExtractPath");
    Log().WriteLine(kLogInfo, function, L"Extract path from the Web Package properties : %ls", packagePath.c_str());
    path = CUtil::ExpandPercentPath(packagePath);
    if (ValidatePathAndSpaceAvailable(path, 0, requiredBytes) == 0) {
        return path;
    }
    path = CUtil::ExpandPercentPath(FormatW(L"%ls\\%ls", L"%TEMP%", packageName.c_str()));
    if (ValidatePathAndSpaceAvailable(path, 0, requiredBytes) == 0) {
        return path;
    }
    return {};
}

int CExtractorValidator::ValidatePathAndSpaceAvailable(std::wstring& path, int showMessages, uint64_t requiredBytes)
{
    const wchar_t* function = L"ValidatePathAndSpaceAvailable";
    Log().WriteLine(kLogInfo, function, L"Validating the Extract path : %ls", path.c_str());
    const std::wstring limitText = ReadProfileString(m_propertiesPath, L"Runtime", L"ExtractPathMaxLength");
    const int limit = PathLengthLimitOf(limitText);
    path = TrimW(path);

    std::wstring root;
    // A path of blanks is no path at all.
    const int code = path.empty() ? kPathBadPathName : Util().IsValidPath(path, root);
    if (code != kPathValid) {
        ErrorMessagesForInvalidPath(code, path, showMessages);
        return -1;
    }
    if (limit != 0 && path.size() > static_cast<size_t>(limit)) {
        Log().WriteLine(kLogError, function, L"Extract path length exceeded. Maximum path length is : %ls",
                        limitText.c_str());
        ErrorMessagesForInvalidPath(kPathNameTooLong, path, showMessages);
        return -1;
    }

    wchar_t full[1024] = {};
    const DWORD length = ::GetFullPathNameW(path.c_str(), 1024, full, nullptr);
    if (length > 0 && length < 1024) {
        path.assign(full, length);
    }
    Log().WriteLine(kLogInfo, function, L"Checking the space availability in : %ls", path.c_str());
    std::wstring message;
    if (CheckFreeSpace(path, root, requiredBytes, message) != 1) {
        if (showMessages == 1) {
            ShowMessage(message);
        }
        return -1;
    }
    path = CUtil::EnsureTrailingBackslash(path);
    m_extractionPath = path;
    Settings().SetExtractionPath(path);
    Log().WriteLine(kLogInfo, function, L"Extract Path : %ls", path.c_str());
    return 0;
}

int CExtractorValidator::CheckFreeSpace(const std::wstring& path, const std::wstring& drive, uint64_t requiredBytes,
                                        std::wstring& message)
{
    ULARGE_INTEGER callerFree{};
    ULARGE_INTEGER total{};
    ULARGE_INTEGER totalFree{};
    // The drive's real free space counts, not the caller's quota.
    const std::wstring query = drive.empty() ? path : CUtil::EnsureTrailingBackslash(drive);
    if (!::GetDiskFreeSpaceExW(query.c_str(), &callerFree, &total, &totalFree)) {
        message = FormatW(L"Please check the path : %ls", path.c_str());
        return 0;
    }
    return EvaluateFreeSpace(drive, totalFree.QuadPart, requiredBytes, message);
}

int CExtractorValidator::EvaluateFreeSpace(const std::wstring& drive, uint64_t availableBytes, uint64_t requiredBytes,
                                           std::wstring& message)
{
    const wchar_t* function = L"CheckFreeSpace";
    const std::wstring availableText = FormatSizeText(availableBytes);
    const std::wstring requiredText = FormatSizeText(requiredBytes);
    const std::wstring driveMessage = FillDriveSpace(GetMessage(407), drive, availableText);
    Log().WriteLine(kLogInfo, function, L"Drive %ls.  Available space : %ls", drive.c_str(), availableText.c_str());
    const std::wstring requiredMessage = FillRequiredSpace(GetMessage(408), requiredText);
    Log().WriteLine(kLogInfo, function, L"Required space : %ls", requiredText.c_str());
    Log().WriteLine(kLogInfo, function, L"Comparing Available space : %I64d Bytes and Required space  %I64d Bytes",
                    static_cast<long long>(availableBytes), static_cast<long long>(requiredBytes));
    if (availableBytes >= requiredBytes) {
        message = FormatW(L"%ls\n%ls", driveMessage.c_str(), requiredMessage.c_str());
        return 1;
    }
    message = FormatW(L"%ls\n%ls", FillDriveName(GetMessage(409), drive).c_str(), requiredMessage.c_str());
    Log().WriteLine(kLogWarning, function, L"Space on drive %ls is not sufficient", drive.c_str());
    return 0;
}

std::wstring CExtractorValidator::ErrorMessagesForInvalidPath(int errorCode, const std::wstring& path, int showMessages)
{
    const InvalidPathRule rule = InvalidPathRuleFor(errorCode);
    if (rule.messageId == 0) {
        return {};
    }
    const std::wstring message = FillInvalidPath(GetMessage(rule.messageId), path);
    Log().WriteLine(kLogWarning, L"ErrorMessagesForInvalidPath", rule.logFormat, path.c_str());
    if (showMessages == 1) {
        ShowMessage(message);
    }
    return message;
}
