#pragma once
// CCondition: the package's requirements ([Conditions], [ReadRegEntries], [ReadRegEntries64] of the
// properties file) read into records, evaluated against the registry and the file system, and the
// keys of the messages to show when extraction is not allowed. One object serves one check.
#include <cstdint>
#include <string>
#include <vector>

#include "conditions/ConditionParser.h"

constexpr wchar_t kConditionsSection[] = L"Conditions";
constexpr wchar_t kActionConditionKey[] = L"Action1Condition";
constexpr wchar_t kActionKey[] = L"Action1";
constexpr wchar_t kActionMessageKey[] = L"Action1Message";
constexpr wchar_t kExtractAction[] = L"Extract";

// One condition: the five fields as written (braces kept), its number and its result.
struct CConditionParts {
    std::wstring ValueType;
    std::wstring Location;
    std::wstring Operator;
    std::wstring Value;
    std::wstring MessageKey;
    std::wstring MessageText;
    uint16_t Number = 0;
    int32_t Result = 0;
};

// The action (Action1): its expression, name and message key; result 1 when the expression held.
struct CAction {
    std::wstring ConditionExpression;
    std::wstring Name;
    std::wstring MessageKey;
    uint16_t Number = 0;
    int32_t Result = 0;
};

// A registry value read into a property, used as "[Property]" in condition locations.
struct CRegistryProperty {
    std::wstring PropertyName;
    std::wstring ValueName;
    std::wstring KeyPath;
    std::wstring Value;
    bool View64 = false;
    int32_t Root = -1;
};

class CCondition {
public:
    explicit CCondition(const std::wstring& settingsPath);
    virtual ~CCondition() = default;

    // ---- Reading
    void ReadConditions(int language); // the conditions named in Action1Condition
    void ReadAction();                 // Action1Condition, Action1, Action1Message
    void ReadRegEntries(bool view64);  // [ReadRegEntries] or [ReadRegEntries64]
    // The text of a message key ("{Key}") in the language section [<language>]; empty when missing.
    std::wstring GetMessageText(int language, const std::wstring& messageKey) const;

    // ---- The steps of the check, in this order
    void EvaluateReadRegEntries();
    void SubstituteProperties();
    void EvaluateConditions();
    void RecordResults();
    void EvaluateActionConditions();
    std::wstring CollectMessages(int language); // the message-key list "{Action};{Key};..."
    int IsExtractAllowed() const;               // 1 when the "Extract" action held

    // ---- Records (read-only views for the requirements page and the tests)
    const std::vector<CConditionParts>& Conditions() const { return m_conditions; }
    const std::vector<CAction>& Actions() const { return m_actions; }
    const std::vector<CRegistryProperty>& RegistryProperties() const { return m_registryProperties; }
    const ConditionResults& Results() const { return m_results; }
    const ConditionNames& UsedNames() const { return m_usedNames; }

private:
    int EvaluateFileCondition(const CConditionParts& condition, const std::wstring& op) const;
    int EvaluateRegistryCondition(const CConditionParts& condition, const std::wstring& op, bool view64) const;
    bool IsReported(const std::wstring& messageKey) const;

    std::wstring m_settingsPath;
    int m_language = 0;
    std::vector<CConditionParts> m_conditions;
    std::vector<CAction> m_actions;
    std::vector<CRegistryProperty> m_registryProperties;
    ConditionResults m_results;
    ConditionNames m_usedNames;
    std::vector<std::wstring> m_reportedKeys;
};
