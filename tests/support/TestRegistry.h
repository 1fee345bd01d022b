#pragma once
// A unique registry key for one test under HKEY_CURRENT_USER\Software\TarvexTests, removed with all
// its values and subkeys on destruction.
#include <windows.h>

#include <string>

namespace testenv {

class TestRegKey {
public:
    explicit TestRegKey(const std::wstring& hint = L"t");
    ~TestRegKey();
    TestRegKey(const TestRegKey&) = delete;
    TestRegKey& operator=(const TestRegKey&) = delete;

    HKEY Get() const { return m_key; }                         // open with KEY_ALL_ACCESS
    const std::wstring& SubKey() const { return m_subKey; }    // path below HKEY_CURRENT_USER

private:
    std::wstring m_subKey;
    HKEY m_key = nullptr;
};

}  // namespace testenv
