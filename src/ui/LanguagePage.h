#pragma once
// CLanguagePage: the user chooses the language of every text of the run from the languages the
// package offers (at most ten radio buttons). A click switches all visible texts at once.
#include <map>
#include <string>
#include <vector>

#include "ui/WizardPage.h"

class CLanguagePage : public CWizardPage {
public:
    explicit CLanguagePage(COrloSheet& sheet);

    // The radio buttons in the order languages are given to them.
    static constexpr int kRadioIds[] = {1006, 1007, 1008, 1009, 1010, 1011, 1012, 1015, 1016, 1017};

    void DisplayRadioButtons();
    void SetSelectedUserLang();

protected:
    void OnInitDialog() override;
    void OnSetActive() override;
    LRESULT OnWizardNext() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;

private:
    void OnLanguageClicked();
    void SetPageTexts();

    std::vector<std::wstring> m_languages;  // LCID texts in the package's order
    std::map<int, int> m_radioLanguages;    // radio button id -> LCID
    int m_chosenLanguage = 1033;
};
