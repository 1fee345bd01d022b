#pragma once
// CConditionCheck: the requirements page. It lists the messages of the package's failed
// requirements and offers Retry, which checks them again.
#include <string>
#include <vector>

#include "ui/WizardPage.h"

class CConditionCheck : public CWizardPage {
public:
    explicit CConditionCheck(COrloSheet& sheet);

    // The message list of the last requirements check in the current language.
    std::wstring GetConditionMessage() const;

protected:
    void OnInitDialog() override;
    void OnSetActive() override;
    LRESULT OnWizardNext() override;

private:
    void SetTexts();
};

// The list text for the messages of failed requirements: each message cut to 550 / n - 15
// characters (n messages) with "...", one per line; "[NEWLINE]" and "[TAB]" become line feed and tab.
std::wstring JoinConditionMessages(const std::vector<std::wstring>& messages);
