#include "TestRegistry.h"

#include <gtest/gtest.h>

#include "util/Util.h"

namespace testenv {
namespace {
constexpr wchar_t kTestRoot[] = L"Software\\TarvexTests";
}

TestRegKey::TestRegKey(const std::wstring& hint)
{
    m_subKey = std::wstring(kTestRoot) + L"\\" + hint + L"-" + CUtil::NewGuidString();
    const LSTATUS status = ::RegCreateKeyExW(HKEY_CURRENT_USER, m_subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                            nullptr, &m_key, nullptr);
    if (status != ERROR_SUCCESS) {
        m_key = nullptr;
        ADD_FAILURE() << "cannot create the test key, error " << status;
    }
}

TestRegKey::~TestRegKey()
{
    if (m_key != nullptr) {
        ::RegCloseKey(m_key);
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, m_subKey.c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, m_subKey.c_str());
    // The common parent goes when no other test still uses it (fails harmlessly otherwise).
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kTestRoot);
}

}  // namespace testenv
