#include "ui/WelcomePage.h"

#include "log/BuildLogFile.h"
#include "settings/Messages.h"
#include "settings/OrloInitalizer.h"
#include "ui/OrloSheet.h"
#include "ui/WizardFlow.h"
#include "util/Profile.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"

namespace {
constexpr int kWelcomeText = 1047;
constexpr int kWelcomePicture = 167;
constexpr int kEmblem = 1048;
}  // namespace

CWelcomePage::CWelcomePage(COrloSheet& sheet) : CWizardPage(sheet, WizardPage::Welcome, kWelcomeTemplate) {}

void CWelcomePage::OnInitDialog()
{
    m_sheet.SetButtonTexts(L"");
    SetItemFont(kWelcomeText, m_sheet.TitleFont());
    const std::wstring displayImage =
        ReadProfileString(Settings().GetPropertiesPath(), L"Runtime", L"DisplayWelcomeImage");
    if (displayImage == L"1") {
        Log().WriteLine(kLogInfo, L"DisplayWelcomeImage", L"Displaying the Welcome image");
        m_picture.LoadResource(m_sheet.Context().instance, kWelcomePicture, L"PNG");
        // The picture fills the page below the header; the emblem would sit on it as a grey box,
        // and the greeting takes its place at the left.
        if (!m_picture.Empty()) {
            ShowItem(kEmblem, false);
            RECT emblem{};
            RECT text{};
            ::GetWindowRect(Item(kEmblem), &emblem);
            ::GetWindowRect(Item(kWelcomeText), &text);
            ::MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT*>(&emblem), 2);
            ::MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT*>(&text), 2);
            ::SetWindowPos(Item(kWelcomeText), nullptr, emblem.left, text.top, text.right - emblem.left,
                           text.bottom - text.top, SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    OnSetActive();
}

void CWelcomePage::OnSetActive()
{
    m_sheet.ShowButtons(L"BACK", SW_HIDE);
    m_sheet.EnableButtons(L"NEXT,CANCEL", true);
    LoadLanguage(Settings().GetLanguage(), Settings().GetOrloTempDir());
    m_sheet.SetButtonTexts(L"");
    const std::wstring& name = Settings().GetDisplayName();
    ::SetWindowTextW(m_window, name.c_str());
    SetItemText(kWelcomeText, ReplaceAll(GetMessage(200), L"[PACKAGEDISPLAYNAME]", name));
    m_sheet.FocusNextButton(true);
}

LRESULT CWelcomePage::OnWizardNext()
{
    if (!PropertiesFileIntact()) {
        return kFinishTemplate;
    }
    const std::wstring languageDialog = ReadProfileString(Settings().GetPropertiesPath(), L"Dialogs", L"LanguageDialog");
    if (languageDialog != L"1" && !AskPasswordIfRequired(m_sheet)) {
        return -1;
    }
    return 0;
}

void CWelcomePage::PaintBackground(HDC dc, const RECT& client)
{
    CWizardPage::PaintBackground(dc, client);
    if (!m_picture.Empty()) {
        m_picture.DrawStretched(dc, 0, kHeaderHeight, client.right - client.left, client.bottom - kHeaderHeight);
    }
}
