#include "ui/LanguagePage.h"

#include <algorithm>
#include <list>

#include "log/BuildLogFile.h"
#include "settings/Messages.h"
#include "settings/OrloInitalizer.h"
#include "ui/OrloSheet.h"
#include "ui/WizardFlow.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "validation/ExtractorValidator.h"

namespace {
constexpr int kPromptText = 1013;
constexpr int kFallbackLanguage = 1033;
}  // namespace

CLanguagePage::CLanguagePage(COrloSheet& sheet) : CWizardPage(sheet, WizardPage::Language, kLanguageTemplate) {}

void CLanguagePage::OnInitDialog()
{
    m_sheet.SetFirstPageButtons(m_sheet.IsStartPage(Kind()), false);
    std::list<std::wstring> languages;
    Validator().SetupLanguages(languages);
    // The list holds the last language first.
    m_languages.assign(languages.rbegin(), languages.rend());
    m_chosenLanguage = Validator().GetDefaultLanguage();
    Settings().SetLanguage(m_chosenLanguage);
    LoadLanguage(m_chosenLanguage, Settings().GetOrloTempDir());
    DisplayRadioButtons();
    SetSelectedUserLang();
    m_sheet.SetButtonTexts(L"");
    SetPageTexts();
    SetItemFont(kPromptText, m_sheet.TitleFont());
    for (int id : kRadioIds) {
        SetItemFont(id, m_sheet.TextFont());
    }
    m_sheet.FocusNextButton(true);
}

void CLanguagePage::OnSetActive()
{
    m_sheet.SetFirstPageButtons(m_sheet.IsStartPage(Kind()), false);
    SetPageTexts();
    Repaint();
    m_sheet.FocusNextButton(true);
    m_sheet.SetButtonTexts(L"");
}

void CLanguagePage::DisplayRadioButtons()
{
    m_radioLanguages.clear();
    const std::wstring& folder = Settings().GetOrloTempDir();
    const size_t count = std::min(m_languages.size(), std::size(kRadioIds));
    for (size_t i = 0; i < count; ++i) {
        const int id = kRadioIds[i];
        const int lcid = CUtil::ToInt32(m_languages[i]);
        m_radioLanguages[id] = lcid;
        HWND radio = Item(id);
        ::ShowWindow(radio, SW_SHOW);
        ::EnableWindow(radio, TRUE);
        std::wstring caption;
        if (::IsValidLocale(static_cast<LCID>(lcid), LCID_INSTALLED)) {
            caption = GetLanguageCaption(lcid, folder);
        } else {
            caption = GetLanguageName(lcid, folder);
            ::EnableWindow(radio, FALSE);
            Log().WriteLine(kLogInfo, L"DisplayRadioButtons", L"Language : %ls not supported and has been disabled",
                            caption.c_str());
        }
        ::SetWindowTextW(radio, caption.c_str());
    }
}

void CLanguagePage::SetSelectedUserLang()
{
    int chosenId = 0;
    if (m_radioLanguages.size() == 1) {
        chosenId = m_radioLanguages.begin()->first;
    } else {
        const int current = Settings().GetLanguage();
        for (int id : kRadioIds) {
            const auto found = m_radioLanguages.find(id);
            if (found != m_radioLanguages.end() && found->second == current) {
                chosenId = id;
                break;
            }
        }
    }
    if (chosenId == 0) {
        return;
    }
    SetChecked(chosenId, true);
    Log().WriteLine(kLogInfo, L"SetSelectedUserLang", L"Setting the radio button for LanguageID : %d",
                    m_radioLanguages[chosenId]);
}

bool CLanguagePage::OnCommand(WORD id, WORD code, HWND /*control*/)
{
    if (code != BN_CLICKED || std::find(std::begin(kRadioIds), std::end(kRadioIds), id) == std::end(kRadioIds)) {
        return false;
    }
    OnLanguageClicked();
    return true;
}

void CLanguagePage::OnLanguageClicked()
{
    const std::wstring& folder = Settings().GetOrloTempDir();
    bool loaded = false;
    for (int id : kRadioIds) {
        const auto found = m_radioLanguages.find(id);
        if (Item(id) == nullptr || !IsChecked(id) || found == m_radioLanguages.end()) {
            continue;
        }
        Settings().SetLanguage(found->second);
        Log().WriteLine(kLogInfo, L"Language Selected", L"ID of the Language selected : %d", found->second);
        loaded = LoadLanguage(found->second, folder) != -1;
        break;
    }
    if (!loaded) {
        Settings().SetLanguage(kFallbackLanguage);
        LoadLanguage(kFallbackLanguage, folder);
    }
    SetPageTexts();
    m_sheet.SetButtonTexts(L"");
}

void CLanguagePage::SetPageTexts()
{
    SetItemText(kPromptText, ReplaceAll(GetMessage(208), L"[PACKAGEDISPLAYNAME]", Settings().GetDisplayName()));
    Repaint();
}

LRESULT CLanguagePage::OnWizardNext()
{
    if (!PropertiesFileIntact()) {
        return kFinishTemplate;
    }
    return AskPasswordIfRequired(m_sheet) ? 0 : -1;
}
