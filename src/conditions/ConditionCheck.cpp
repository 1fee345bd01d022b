#include "conditions/ConditionCheck.h"

#include "conditions/Condition.h"
#include "util/Profile.h"
#include "util/StringUtil.h"

int CheckConditions(const std::wstring& propertiesPath, int language, std::wstring& messageKeys)
{
    if (ReadProfileString(propertiesPath, kConditionsSection, kActionConditionKey).empty()) {
        return 1; // the package has no requirements
    }
    CCondition condition(propertiesPath);
    condition.ReadConditions(language);
    condition.ReadAction();
    condition.ReadRegEntries(false);
    condition.ReadRegEntries(true);
    condition.EvaluateReadRegEntries();
    condition.SubstituteProperties();
    condition.EvaluateConditions();
    condition.RecordResults();
    condition.EvaluateActionConditions();
    messageKeys = condition.CollectMessages(language);
    return condition.IsExtractAllowed();
}

std::vector<std::wstring> GetConditionMessageTexts(const std::wstring& propertiesPath, int language,
                                                   const std::wstring& messageKeys)
{
    const CCondition condition(propertiesPath);
    std::vector<std::wstring> texts;
    size_t start = 0;
    while (start <= messageKeys.size()) {
        size_t end = messageKeys.find(L';', start);
        if (end == std::wstring::npos) {
            end = messageKeys.size();
        }
        const std::wstring key = TrimW(std::wstring_view(messageKeys).substr(start, end - start));
        if (!key.empty()) {
            texts.push_back(condition.GetMessageText(language, key));
        }
        start = end + 1;
    }
    return texts;
}
