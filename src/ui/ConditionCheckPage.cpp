#include "ui/ConditionCheckPage.h"

#include <list>

#include "conditions/ConditionCheck.h"
#include "log/BuildLogFile.h"
#include "settings/Messages.h"
#include "settings/OrloInitalizer.h"
#include "ui/OrloSheet.h"
#include "ui/WizardFlow.h"
#include "util/Profile.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "validation/ExtractorValidator.h"

namespace {
constexpr int kHeading = 1041;
constexpr int kMessageList = 1050;
}  // namespace

std::wstring JoinConditionMessages(const std::vector<std::wstring>& messages)
{
    if (messages.empty()) {
        return std::wstring();
    }
    const size_t limit = static_cast<size_t>(std::max(550 / static_cast<int>(messages.size()) - 15, 0));
    std::wstring result;
    for (const std::wstring& message : messages) {
        result += message.size() > limit ? message.substr(0, limit) + L"..." : message;
        result += L"[NEWLINE]";
    }
    return ReplaceAll(ReplaceAll(result, L"[NEWLINE]", L"\n"), L"[TAB]", L"\t");
}

CConditionCheck::CConditionCheck(COrloSheet& sheet) : CWizardPage(sheet, WizardPage::Requirements, kRequirementsTemplate)
{
}

std::wstring CConditionCheck::GetConditionMessage() const
{
    const std::wstring& properties = Settings().GetPropertiesPath();
    const int language = Settings().GetLanguage();
    std::list<std::wstring> offered;
    CUtil::Split(ReadProfileString(properties, L"LANGUAGES", L"SetupLanguages"), L";", offered);
    bool listed = false;
    for (const std::wstring& entry : offered) {
        listed = listed || CUtil::ToInt32(TrimW(entry)) == language;
    }
    if (!listed) {
        return std::wstring();
    }
    const std::vector<std::wstring> texts =
        GetConditionMessageTexts(properties, language, Validator().GetConditionMessageKeys());
    for (const std::wstring& text : texts) {
        Log().WriteLine(kLogDetail, L"Condition Message", L"%ls", text.c_str());
    }
    return JoinConditionMessages(texts);
}

void CConditionCheck::SetTexts()
{
    SetItemText(kHeading, ReplaceAll(GetMessage(802), L"[PACKAGENAME]", Settings().GetDisplayName()));
    m_sheet.SetButtonTexts(L"RETRY");
    ::SetWindowTextW(Item(kMessageList), GetConditionMessage().c_str());
    Repaint();
}

void CConditionCheck::OnInitDialog()
{
    m_sheet.SetFirstPageButtons(m_sheet.IsStartPage(Kind()), false);
    SetItemFont(kHeading, m_sheet.TitleFont());
    SetItemFont(kMessageList, m_sheet.TextFont());
    SetTexts();
    m_sheet.FocusNextButton(true);
}

void CConditionCheck::OnSetActive()
{
    m_sheet.SetFirstPageButtons(m_sheet.IsStartPage(Kind()), false);
    m_sheet.SetButtonTexts(L"");
    SetTexts();
    m_sheet.ShowButtons(L"", SW_SHOW);
    m_sheet.ShowButtons(L"BACK,NEXT,CANCEL", SW_SHOW);
    m_sheet.EnableButtons(L"BACK,NEXT,CANCEL", true);
    m_sheet.FocusNextButton(true);
}

LRESULT CConditionCheck::OnWizardNext()
{
    m_sheet.SetButtonTexts(L"RETRY");
    if (!PropertiesFileIntact()) {
        return kFinishTemplate;
    }
    if (Validator().CheckConditions(Settings().GetLanguage()) == 1) {
        if (m_sheet.IsStartPage(Kind())) {
            m_sheet.requirementsPassedOnRetry = 1;
        } else {
            // Leaves the wizard for good once the next page is shown.
            m_sheet.RemovePageLater(Kind());
        }
        return 0;
    }
    ::SetWindowTextW(Item(kHeading), L"");
    ::SetWindowTextW(Item(kMessageList), L"");
    Repaint();
    ::Sleep(100);
    SetTexts();
    Settings().SetExtractionStatus(-1);
    return -1;
}
