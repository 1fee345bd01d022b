#include "conditions/Condition.h"

#include <windows.h>

#include "conditions/ConditionRules.h"
#include "conditions/InstallFile.h"
#include "conditions/RegistryValue.h"
#include "log/BuildLogFile.h"
#include "util/ProcessContext.h"
#include "util/Profile.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/WideFormat.h"

namespace {
std::wstring EnvironmentValue(const std::wstring& name)
{
    const DWORD needed = ::GetEnvironmentVariableW(name.c_str(), nullptr, 0);
    if (needed == 0) {
        return {};
    }
    std::wstring value(needed, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(name.c_str(), value.data(), needed);
    if (length == 0 || length >= needed) {
        return {};
    }
    value.resize(length);
    return value;
}

bool IsPresenceOperator(const std::wstring& op)
{
    return EqualsNoCase(op, kOperatorExist) || EqualsNoCase(op, kOperatorNotExist) || op == kOperatorAny;
}

// Field `index` of a split definition, empty when the definition has fewer fields.
std::wstring FieldAt(const std::vector<std::wstring>& fields, size_t index)
{
    return index < fields.size() ? fields[index] : std::wstring();
}
} // namespace

CCondition::CCondition(const std::wstring& settingsPath) : m_settingsPath(settingsPath) {}

std::wstring CCondition::GetMessageText(int language, const std::wstring& messageKey) const
{
    const std::wstring key = CUtil::StripBraces(messageKey);
    if (key.empty()) {
        return {};
    }
    return ReadProfileString(m_settingsPath, FormatW(L"%d", language), key);
}

void CCondition::ReadConditions(int language)
{
    m_language = language;
    const std::wstring expression = ReadProfileString(m_settingsPath, kConditionsSection, kActionConditionKey);
    for (const std::wstring& name : CollectConditionNames(expression)) {
        const std::wstring value = ReadProfileString(m_settingsPath, kConditionsSection, name);
        if (value.empty()) {
            continue; // not defined: the name keeps no result and the expression fails
        }
        Log().WriteLine(8, L"CCondition::ReadConditions", L"%ls", (name + L" : " + value).c_str());

        // Empty fields are dropped, so ";;" shifts the following fields to the left.
        const std::vector<std::wstring> fields = SplitConditionFields(value);
        CConditionParts condition;
        condition.ValueType = FieldAt(fields, 0);
        condition.Location = FieldAt(fields, 1);
        condition.Operator = FieldAt(fields, 2);
        condition.Value = FieldAt(fields, 3);
        condition.MessageKey = FieldAt(fields, 4);
        condition.MessageText = GetMessageText(language, condition.MessageKey);
        condition.Number = ConditionNumberOf(name);
        m_conditions.push_back(std::move(condition));
    }
}

void CCondition::ReadAction()
{
    const std::wstring expression = ReadProfileString(m_settingsPath, kConditionsSection, kActionConditionKey);
    if (expression.empty()) {
        return;
    }
    CAction action;
    action.ConditionExpression = expression;
    action.Number = 0;
    action.Name = ReadProfileString(m_settingsPath, kConditionsSection, kActionKey);
    action.MessageKey = ReadProfileString(m_settingsPath, kConditionsSection, kActionMessageKey);
    m_actions.push_back(std::move(action));
}

void CCondition::ReadRegEntries(bool view64)
{
    const std::wstring section = view64 ? L"ReadRegEntries64" : L"ReadRegEntries";
    for (int n = 1;; ++n) {
        const int root = ReadProfileInt(m_settingsPath, section, FormatW(L"Root%d", n), -1);
        if (root == -1) {
            break;
        }
        CRegistryProperty property;
        property.Root = root;
        property.KeyPath = ReadProfileString(m_settingsPath, section, FormatW(L"Key%d", n));
        property.ValueName = ReadProfileString(m_settingsPath, section, FormatW(L"Entry%d", n));
        property.PropertyName = ReadProfileString(m_settingsPath, section, FormatW(L"Property%d", n));
        property.View64 = view64;
        m_registryProperties.push_back(std::move(property));
    }
}

void CCondition::EvaluateReadRegEntries()
{
    for (CRegistryProperty& property : m_registryProperties) {
        const std::wstring what = FormatW(L"Root = %d Key = %ls Entry = %ls", property.Root, property.KeyPath.c_str(),
                                          property.ValueName.c_str());
        Log().WriteLine(8, L"EvaluateReadRegEntries", L"Reading Registry : %ls", what.c_str());
        std::wstring value;
        ReadRegistryValue(HiveFromRoot(property.Root), property.KeyPath, property.ValueName, value, property.View64);
        Log().WriteLine(8, L"EvaluateReadRegEntries", L"Registry Value : %ls", value.c_str());
        property.Value = value;
        Log().WriteLine(8, L"EvaluateReadRegEntries", L"Property : %ls = %ls", property.PropertyName.c_str(),
                        property.Value.c_str());
    }
}

void CCondition::SubstituteProperties()
{
    for (const CRegistryProperty& property : m_registryProperties) {
        const std::wstring token = FormatW(L"[%ls]", property.PropertyName.c_str());
        std::wstring replacement = property.Value;
        for (CConditionParts& condition : m_conditions) {
            // From the first file condition on, the folder read from the registry ends with "\".
            if (EqualsNoCase(condition.ValueType, kValueTypeFile) && !replacement.empty() &&
                replacement.back() != L'\\') {
                replacement += L'\\';
            }
            condition.Location = ReplaceAll(std::move(condition.Location), token, replacement);
        }
    }
}

int CCondition::EvaluateFileCondition(const CConditionParts& condition, const std::wstring& op) const
{
    const std::wstring path = ExpandPathVariable(TrimW(StripFieldBraces(condition.Location)), EnvironmentValue);
    Log().WriteLine(8, L"CCondition::EvaluateConditions", L"Finding file : %ls", path.c_str());
    if (EqualsNoCase(op, kOperatorNotExist)) {
        return CUtil::FileExists(path) ? 0 : 1;
    }
    if (EqualsNoCase(op, kOperatorExist) || op == kOperatorAny) {
        return CUtil::FileExists(path) ? 1 : 0;
    }
    std::wstring version;
    CInstallFile::GetFileVersion(path, version);
    const std::wstring expected = TrimW(StripFieldBraces(condition.Value));
    Log().WriteLine(8, L"CCondition::EvaluateConditions", L"Compare Versions : %ls and %ls ", version.c_str(),
                    expected.c_str());
    return EvaluateFileVersionRule(op, version, expected);
}

int CCondition::EvaluateRegistryCondition(const CConditionParts& condition, const std::wstring& op, bool view64) const
{
    const std::wstring expected = StripFieldBraces(condition.Value);
    std::wstring actual;
    const int status = ReadRegistryCondition(condition.Location, actual, view64);
    if (!IsPresenceOperator(op)) {
        Log().WriteLine(8, L"CCondition::EvaluateConditions", L"Compare Values : %ls and %ls ", actual.c_str(),
                        expected.c_str());
    }
    return EvaluateRegistryRule(op, status, actual, expected);
}

void CCondition::EvaluateConditions()
{
    for (CConditionParts& condition : m_conditions) {
        const std::wstring op = NormalizeOperator(condition.Operator);
        Log().WriteLine(8, L"CCondition::EvaluateConditions", L"Operator : %ls", op.c_str());
        int result = 0;
        if (EqualsNoCase(condition.ValueType, kValueTypeFile)) {
            result = EvaluateFileCondition(condition, op);
        } else if (EqualsNoCase(condition.ValueType, kValueTypeRegistry)) {
            result = EvaluateRegistryCondition(condition, op, false);
        } else if (EqualsNoCase(condition.ValueType, kValueTypeRegistry64)) {
            result = EvaluateRegistryCondition(condition, op, true);
        }
        condition.Result = result;
        Log().WriteLine(8, L"CCondition::EvaluateConditions", L"Condition%d = %d", static_cast<int>(condition.Number),
                        condition.Result);
    }
}

void CCondition::RecordResults()
{
    for (const CConditionParts& condition : m_conditions) {
        m_results[condition.Number] = condition.Result;
    }
}

void CCondition::EvaluateActionConditions()
{
    const COrloConditionParser parser;
    for (CAction& action : m_actions) {
        if (parser.Evaluate(action.ConditionExpression, m_results, m_usedNames) == kExpressionTrue) {
            Log().WriteLine(8, L"CCondition::EvaluateActionConditions", L"Action condition is satisfied");
            action.Result = 1;
        } else {
            Log().WriteLine(1, L"CCondition::EvaluateActionConditions", L"Action condition is not satisfied");
        }
    }
}

bool CCondition::IsReported(const std::wstring& messageKey) const
{
    for (const std::wstring& reported : m_reportedKeys) {
        if (SameMessageKey(reported, messageKey)) {
            return true;
        }
    }
    return false;
}

std::wstring CCondition::CollectMessages(int /*language: the page looks the texts up itself*/)
{
    std::wstring list;
    for (const CAction& action : m_actions) {
        list = L"{" + action.MessageKey + L"};";
        m_reportedKeys.push_back(action.MessageKey);
    }
    const std::wstring expression = m_actions.empty()
                                        ? ReadProfileString(m_settingsPath, kConditionsSection, kActionConditionKey)
                                        : m_actions.front().ConditionExpression;
    for (const CConditionParts& condition : m_conditions) {
        if (condition.Result != 0 || CUtil::StripBraces(condition.MessageKey).empty()) {
            continue; // true, or "{}": no message
        }
        const std::wstring name = FormatW(L"Condition%d", static_cast<int>(condition.Number));
        bool used = false;
        for (const std::wstring& usedName : m_usedNames) {
            used = used || EqualsNoCase(usedName, name);
        }
        if (used && !IsReported(condition.MessageKey) && ShouldShowConditionMessage(expression, name)) {
            list += condition.MessageKey + L";";
            m_reportedKeys.push_back(condition.MessageKey);
        }
    }
    return list;
}

int CCondition::IsExtractAllowed() const
{
    for (const CAction& action : m_actions) {
        if (EqualsNoCase(action.Name, kExtractAction) && action.Result == 1) {
            return 1;
        }
    }
    return 0;
}
