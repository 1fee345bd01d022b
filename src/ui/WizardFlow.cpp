#include "ui/WizardFlow.h"

#include "ui/ExtractPassword.h"
#include "ui/OrloSheet.h"
#include "util/ProcessContext.h"
#include "validation/ExtractorValidator.h"

bool PropertiesFileIntact() { return Validator().IsParameterFileNotCorrupt(); }

bool AskPasswordIfRequired(COrloSheet& sheet)
{
    if (sheet.Context().requiredPassword != L"1" || sheet.passwordAccepted) {
        return true;
    }
    CExtractPassword prompt(sheet);
    sheet.passwordAccepted = prompt.DoModal() == IDOK;
    return sheet.passwordAccepted;
}
