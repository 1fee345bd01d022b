// The OS messages of the running system and CheckOS, which hands them to the settings object.
#include "log/BuildLogFile.h"
#include "settings/Messages.h"
#include "settings/OrloInitalizer.h"
#include "util/ProcessContext.h"
#include "util/Profile.h"
#include "util/StringUtil.h"
#include "util/WideFormat.h"
#include "validation/ExtractorValidator.h"
#include "validation/OSMessages.h"
#include "validation/OSValidator.h"

namespace {
constexpr int kMsgOSNotSupportedQuestion = 418;
constexpr int kMsgWithoutServicePack = 422;
} // namespace

std::wstring COSValidator::GetOSNameForMessage() const
{
    return OSNameForMessage(m_identity.displayName);
}

std::wstring COSValidator::GetServicePackForMessage() const
{
    return ServicePackForMessage(m_identity.servicePackNumber, GetMessage(kMsgWithoutServicePack));
}

std::wstring COSValidator::GetNotSupportedQuestion() const
{
    const std::wstring name = FormatW(L"%ls %ls %ls", GetOSNameForMessage().c_str(),
                                      m_identity.editionDisplayName.c_str(), GetServicePackForMessage().c_str());
    return ReplaceAll(GetMessage(kMsgOSNotSupportedQuestion), L"[OSNAME]", name);
}

std::wstring COSValidator::PrepareSupportedOSMessages(int verdict, int language) const
{
    if (verdict != kOSWarning && verdict != kOSNotSupported) {
        return {};
    }
    const std::wstring file = SettingsFile();
    const std::wstring section = FormatW(L"%d", language);
    const std::wstring supported = ReadProfileString(file, section, L"MsgSupportedOS");
    const std::wstring text = ReadProfileString(file, section, verdict == kOSWarning ? L"MsgOSWarning" : L"MsgOSError");
    return ComposeOSMessage(text, GetOSNameForMessage(), m_identity.editionDisplayName, GetServicePackForMessage(),
                            supported);
}

int CExtractorValidator::CheckOS(int verdict, int language, int /*unused*/, int logFlag)
{
    const std::wstring message = OsValidator().PrepareSupportedOSMessages(verdict, language);
    // Stored even when empty: a supported system clears an earlier finish message.
    Settings().SetFinishMessage(message);
    if (logFlag != 0) {
        Log().WriteLine(8, L"CheckOS", L"Message to be displayed : %ls", message.c_str());
    }
    return verdict;
}
