#pragma once
// Helpers of the condition tests: registry test keys in a chosen view (deleted with their values on
// destruction) and properties files written as UTF-16 INI files.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "TestEnv.h"
#include "util/Util.h"

namespace condtest {

// Software\TarvexTest-<hint>-<guid> under `hive`, created in the 64-bit or the 32-bit view.
class RegistryTestKey {
public:
    RegistryTestKey(HKEY hive, const std::wstring& hint, bool view64)
        : m_hive(hive), m_view(view64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY)
    {
        m_subKey = L"Software\\TarvexTest-" + hint + L"-" + CUtil::NewGuidString();
        Create();
    }
    // The same key path in another view (the two views of one test key).
    RegistryTestKey(const RegistryTestKey& other, bool view64)
        : m_hive(other.m_hive), m_view(view64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY), m_subKey(other.m_subKey)
    {
        Create();
    }
    ~RegistryTestKey()
    {
        if (m_key != nullptr) {
            ::RegCloseKey(m_key);
        }
        HKEY key = nullptr;
        if (::RegOpenKeyExW(m_hive, m_subKey.c_str(), 0, KEY_ALL_ACCESS | m_view, &key) == ERROR_SUCCESS) {
            ::RegDeleteTreeW(key, nullptr);
            ::RegCloseKey(key);
        }
        ::RegDeleteKeyExW(m_hive, m_subKey.c_str(), m_view, 0);
    }
    RegistryTestKey(const RegistryTestKey&) = delete;
    RegistryTestKey& operator=(const RegistryTestKey&) = delete;

    bool Valid() const { return m_key != nullptr; }
    const std::wstring& SubKey() const { return m_subKey; }

    void SetString(const std::wstring& name, const std::wstring& value, DWORD type = REG_SZ) const
    {
        SetRaw(name, type, value.c_str(), (value.size() + 1) * sizeof(wchar_t));
    }
    // `list` holds the strings separated by L'\0'; the closing double zero is added here.
    void SetMultiString(const std::wstring& name, const std::wstring& list) const
    {
        const std::wstring data = list + std::wstring(2, L'\0');
        SetRaw(name, REG_MULTI_SZ, data.data(), data.size() * sizeof(wchar_t));
    }
    void SetDword(const std::wstring& name, DWORD value) const { SetRaw(name, REG_DWORD, &value, sizeof(value)); }
    void SetQword(const std::wstring& name, uint64_t value) const { SetRaw(name, REG_QWORD, &value, sizeof(value)); }
    void SetBinary(const std::wstring& name, const std::vector<uint8_t>& bytes) const
    {
        SetRaw(name, REG_BINARY, bytes.data(), bytes.size());
    }

private:
    void Create()
    {
        ::RegCreateKeyExW(m_hive, m_subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | m_view, nullptr, &m_key, nullptr);
    }
    void SetRaw(const std::wstring& name, DWORD type, const void* data, size_t size) const
    {
        ::RegSetValueExW(m_key, name.c_str(), 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
    }

    HKEY m_hive;
    REGSAM m_view;
    std::wstring m_subKey;
    HKEY m_key = nullptr;
};

// A properties file in a scratch folder; `text` is the INI text (lines joined with "\r\n").
inline std::wstring WriteProperties(const testenv::ScratchDir& dir, const std::vector<std::wstring>& lines,
                                    const std::wstring& name = L"Properties_Orlo.ini")
{
    std::wstring text;
    for (const std::wstring& line : lines) {
        text += line + L"\r\n";
    }
    const std::wstring path = dir / name;
    testenv::WriteUtf16File(path, text);
    return path;
}

// "Condition1 AND Condition2 AND ... ConditionN": every condition is read and evaluated.
inline std::wstring AndOfConditions(size_t count)
{
    std::wstring expression;
    for (size_t n = 1; n <= count; ++n) {
        expression += (n > 1 ? L" AND Condition" : L"Condition") + std::to_wstring(n);
    }
    return expression;
}

} // namespace condtest

#include <gtest/gtest.h>

#include <memory>

#include "conditions/Condition.h"
#include "util/ProcessContext.h"

namespace condtest {

// Every step of the check on one properties file; the object keeps its records for the test.
inline std::unique_ptr<CCondition> EvaluateAll(const std::wstring& path, int language = 1033)
{
    auto condition = std::make_unique<CCondition>(path);
    condition->ReadConditions(language);
    condition->ReadAction();
    condition->ReadRegEntries(false);
    condition->ReadRegEntries(true);
    condition->EvaluateReadRegEntries();
    condition->SubstituteProperties();
    condition->EvaluateConditions();
    condition->RecordResults();
    condition->EvaluateActionConditions();
    return condition;
}

// A table of condition definitions with their expected results, checked in one properties file.
struct DefinitionCase {
    std::wstring definition;
    int expected;
};

inline void ExpectResults(const testenv::ScratchDir& dir, const std::vector<DefinitionCase>& cases,
                          const std::vector<std::wstring>& extraLines = {})
{
    std::vector<std::wstring> lines = {L"[Conditions]", L"Action1=Extract",
                                       L"Action1Condition=" + AndOfConditions(cases.size())};
    for (size_t i = 0; i < cases.size(); ++i) {
        lines.push_back(L"Condition" + std::to_wstring(i + 1) + L"=" + cases[i].definition);
    }
    lines.insert(lines.end(), extraLines.begin(), extraLines.end());
    const auto condition = EvaluateAll(WriteProperties(dir, lines));
    ASSERT_EQ(condition->Conditions().size(), cases.size());
    for (size_t i = 0; i < cases.size(); ++i) {
        const CConditionParts& parts = condition->Conditions()[i];
        EXPECT_EQ(parts.Number, i + 1);
        EXPECT_EQ(parts.Result, cases[i].expected)
            << "Condition" << (i + 1) << "=" << testing::PrintToString(cases[i].definition);
    }
}

class ConditionTest : public testing::Test {
protected:
    void SetUp() override { ResetProcessContext(); }
    testenv::ScratchDir m_dir{L"cond"};
};

} // namespace condtest
