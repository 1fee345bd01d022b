// {Registry} and {Registry64} conditions and [ReadRegEntries] properties against real registry keys.
#include <gtest/gtest.h>

#include "ConditionTestSupport.h"
#include "conditions/ConditionCheck.h"
#include "conditions/RegistryValue.h"

using condtest::ConditionTest;
using condtest::DefinitionCase;
using condtest::RegistryTestKey;

namespace {
bool IsNative64BitWindows()
{
    SYSTEM_INFO info{};
    ::GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
           info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_ARM64;
}
} // namespace

class RegistryConditionTest : public ConditionTest {
protected:
    void SetUp() override
    {
        ConditionTest::SetUp();
        ASSERT_TRUE(m_user.Valid());
        m_user.SetString(L"Sz", L"Hello World");
        m_user.SetString(L"Version", L"5.4_12");
        m_user.SetString(L"Expand", L"%WINDIR%\\x", REG_EXPAND_SZ);
        m_user.SetString(L"Empty", L"");
        m_user.SetString(L"Number", L"10");
        m_user.SetDword(L"Dword", 10);
        m_user.SetDword(L"Negative", 0xFFFFFFFF);
        m_user.SetQword(L"Qword", 1ULL << 40);
        m_user.SetMultiString(L"Multi", std::wstring(L"first\0second", 12));
        m_user.SetBinary(L"Binary", {1, 2, 3, 0x41, 0});
        m_user.SetString(L"Long", std::wstring(2000, L'x'));
        m_user.SetString(L"ProductCode", L"{6F9619FF-8B86-D011-B42D-00C04FC964FF}");
    }

    // A location in the HKEY_CURRENT_USER test key.
    std::wstring User(const std::wstring& value) const
    {
        return L"{HKEY_CURRENT_USER\\" + m_user.SubKey() + L"\\" + value + L"}";
    }

    RegistryTestKey m_user{HKEY_CURRENT_USER, L"Cond", true};
};

TEST_F(RegistryConditionTest, ReadsEveryValueTypeAsText)
{
    struct Case {
        const wchar_t* name;
        int status;
        std::wstring text;
    };
    const Case cases[] = {
        {L"Sz", 1, L"Hello World"},
        {L"Expand", 1, L"%WINDIR%\\x"}, // not expanded
        {L"Empty", 1, L""},
        {L"Dword", 1, L"10"},
        {L"Negative", 1, L"-1"},
        {L"Qword", 1, L"1099511627776"},
        {L"Multi", 1, L"first"},
        {L"Binary", 1, L""},
        {L"Long", 1, std::wstring(1024, L'x')},
        {L"Missing", -2, L""},
    };
    for (const Case& c : cases) {
        std::wstring text = L"untouched";
        EXPECT_EQ(ReadRegistryValue(HKEY_CURRENT_USER, m_user.SubKey(), c.name, text, true), c.status) << c.name;
        EXPECT_EQ(text, c.text) << c.name;
    }
    std::wstring text = L"untouched";
    EXPECT_EQ(ReadRegistryValue(HKEY_CURRENT_USER, m_user.SubKey() + L"-missing", L"Sz", text, true), -2);
    EXPECT_EQ(text, L"");
    EXPECT_EQ(ReadRegistryValue(nullptr, m_user.SubKey(), L"Sz", text, true), -2);
    EXPECT_EQ(ReadRegistryCondition(User(L"Sz"), text, true), 1);
    EXPECT_EQ(text, L"Hello World");
}

TEST_F(RegistryConditionTest, EvaluatesEveryOperatorAndType)
{
    const std::wstring missingKey = L"{HKEY_CURRENT_USER\\" + m_user.SubKey() + L"-missing\\Sz}";
    condtest::ExpectResults(
        m_dir, {
                   // Presence.
                   {L"{Registry64};" + User(L"Sz") + L";{EXIST};{};{}", 1},
                   {L"{Registry64};" + User(L"Sz") + L";{NOTEXIST};{};{}", 0},
                   {L"{Registry64};" + User(L"Sz") + L";{};{};{}", 1},
                   {L"{Registry64};" + User(L"Missing") + L";{EXIST};{};{}", 0},
                   {L"{Registry64};" + User(L"Missing") + L";{NOTEXIST};{};{}", 1},
                   {L"{Registry64};" + User(L"Missing") + L";{};{};{}", 0},
                   {L"{Registry64};" + missingKey + L";{NOTEXIST};{};{}", 1},
                   {L"{Registry64};" + missingKey + L";{=};{};{}", 0},
                   // REG_SZ as text.
                   {L"{Registry64};" + User(L"Sz") + L";{=};{hello world};{}", 1},
                   {L"{Registry64};" + User(L"Sz") + L";{!=};{HELLO WORLD};{}", 0},
                   {L"{Registry64};" + User(L"Sz") + L";{!=};{Hello};{}", 1},
                   {L"{Registry64};" + User(L"Sz") + L";{>};{Hello};{}", 0},
                   // Version against string comparison.
                   {L"{Registry64};" + User(L"Version") + L";{>=};{5.4};{}", 1},
                   {L"{Registry64};" + User(L"Version") + L";{>};{5.4};{}", 1},
                   {L"{Registry64};" + User(L"Version") + L";{<};{5.4};{}", 0},
                   {L"{Registry64};" + User(L"Version") + L";{<=};{5.4.12};{}", 1},
                   {L"{Registry64};" + User(L"Version") + L";{=};{5.4.12};{}", 0},
                   {L"{Registry64};" + User(L"Version") + L";{=};{5.4_12};{}", 1},
                   {L"{Registry64};" + User(L"Number") + L";{>};{9};{}", 1},
                   {L"{Registry64};" + User(L"Number") + L";{>};{9a};{}", 0},
                   {L"{Registry64};" + User(L"Number") + L";{!=};{9a};{}", 1},
                   // Only the field's own braces are removed.
                   {L"{Registry64};" + User(L"ProductCode") + L";{=};{{6F9619FF-8B86-D011-B42D-00C04FC964FF}};{}", 1},
                   {L"{Registry64};" + User(L"ProductCode") + L";{=};{6F9619FF-8B86-D011-B42D-00C04FC964FF};{}", 0},
                   // Numbers and the other types.
                   {L"{Registry64};" + User(L"Dword") + L";{=};{10};{}", 1},
                   {L"{Registry64};" + User(L"Dword") + L";{<};{9};{}", 0},
                   {L"{Registry64};" + User(L"Negative") + L";{=};{-1};{}", 1},
                   {L"{Registry64};" + User(L"Qword") + L";{=};{1099511627776};{}", 1},
                   {L"{Registry64};" + User(L"Expand") + L";{=};{%WINDIR%\\x};{}", 1},
                   {L"{Registry64};" + User(L"Multi") + L";{=};{first};{}", 1},
                   {L"{Registry64};" + User(L"Multi") + L";{=};{second};{}", 0},
                   {L"{Registry64};" + User(L"Binary") + L";{EXIST};{};{}", 1},
                   {L"{Registry64};" + User(L"Binary") + L";{=};{};{}", 1},
                   {L"{Registry64};" + User(L"Binary") + L";{!=};{};{}", 0},
                   {L"{Registry64};" + User(L"Binary") + L";{!=};{A};{}", 1},
                   // One side empty.
                   {L"{Registry64};" + User(L"Empty") + L";{=};{};{}", 1},
                   {L"{Registry64};" + User(L"Empty") + L";{>=};{};{}", 0},
                   {L"{Registry64};" + User(L"Empty") + L";{!=};{x};{}", 1},
                   {L"{Registry64};" + User(L"Sz") + L";{!=};{};{}", 1},
                   {L"{Registry64};" + User(L"Sz") + L";{=};{};{}", 0},
                   {L"{Registry64};" + User(L"Sz") + L";{>=};{};{}", 1},
                   {L"{Registry64};" + User(L"Sz") + L";{<=};{};{}", 1},
                   {L"{Registry64};" + User(L"Sz") + L";{>};{};{}", 0},
                   {L"{Registry64};" + User(L"Sz") + L";{<};{};{}", 0},
                   // Blanks inside the operator, case of type and operator, the hive in lower case.
                   {L"{Registry64};" + User(L"Dword") + L";{ > = };{10};{}", 1},
                   {L"{registry64};" + User(L"Sz") + L";{exist};{};{}", 1},
                   {L"{Registry64};{hkey_current_user\\" + m_user.SubKey() + L"\\Sz};{EXIST};{};{}", 0},
                   {L"{Registry64};{hkey_current_user\\" + m_user.SubKey() + L"\\Sz};{NOTEXIST};{};{}", 1},
               });
}

TEST_F(ConditionTest, ReadsTheThirtyTwoAndTheSixtyFourBitViews)
{
    RegistryTestKey machine64(HKEY_LOCAL_MACHINE, L"CondView", true);
    RegistryTestKey machine32(machine64, false);
    ASSERT_TRUE(machine64.Valid() && machine32.Valid()) << "HKEY_LOCAL_MACHINE must be writable for this test";
    machine64.SetString(L"Which", L"sixty-four");
    machine32.SetString(L"Which", L"thirty-two");
    machine32.SetString(L"Only32", L"yes");

    const std::wstring location = L"{HKEY_LOCAL_MACHINE\\" + machine64.SubKey() + L"\\";
    condtest::ExpectResults(m_dir, {
                                       {L"{Registry};" + location + L"Which};{=};{thirty-two};{}", 1},
                                       {L"{Registry64};" + location + L"Which};{=};{sixty-four};{}", 1},
                                       {L"{Registry};" + location + L"Which};{=};{sixty-four};{}", 0},
                                       {L"{Registry};" + location + L"Only32};{EXIST};{};{}", 1},
                                       {L"{Registry64};" + location + L"Only32};{NOTEXIST};{};{}", 1},
                                   });

    // On 64-bit Windows (and in Wine's 64-bit prefix) the 32-bit view is Software\Wow6432Node.
    if (IsNative64BitWindows()) {
        std::wstring text;
        const std::wstring redirected = L"Software\\Wow6432Node\\" + machine64.SubKey().substr(9);
        EXPECT_EQ(ReadRegistryValue(HKEY_LOCAL_MACHINE, redirected, L"Which", text, true), 1);
        EXPECT_EQ(text, L"thirty-two");
    }

    // The current user's test keys: each view reads what was written through it.
    RegistryTestKey user64(HKEY_CURRENT_USER, L"CondView", true);
    RegistryTestKey user32(user64, false);
    user64.SetString(L"Written64", L"64");
    user32.SetString(L"Written32", L"32");
    const std::wstring userLocation = L"{HKEY_CURRENT_USER\\" + user64.SubKey() + L"\\";
    condtest::ExpectResults(m_dir, {
                                       {L"{Registry64};" + userLocation + L"Written64};{=};{64};{}", 1},
                                       {L"{Registry};" + userLocation + L"Written32};{=};{32};{}", 1},
                                   });
}

TEST_F(ConditionTest, ReadsRegistryPropertiesInBothViews)
{
    RegistryTestKey machine64(HKEY_LOCAL_MACHINE, L"CondProp", true);
    RegistryTestKey machine32(machine64, false);
    ASSERT_TRUE(machine64.Valid() && machine32.Valid());
    machine64.SetString(L"Dir", L"D:\\sixty-four");
    machine32.SetString(L"Dir", L"D:\\thirty-two");
    RegistryTestKey user(HKEY_CURRENT_USER, L"CondProp", true);
    user.SetDword(L"Count", 7);

    const std::wstring path = condtest::WriteProperties(
        m_dir,
        {L"[Conditions]",
         L"Action1=Extract",
         L"Action1Condition=Condition1",
         L"Condition1={Registry};{HKEY_LOCAL_MACHINE\\[P32]\\[P64]\\[PUSER]\\[PROOT5]\\[PMISSING]};{EXIST};{};{}",
         L"[ReadRegEntries]",
         L"Root1=2",
         L"Key1=" + machine64.SubKey(),
         L"Entry1=Dir",
         L"Property1=P32",
         L"Root2=5",
         L"Key2=" + machine64.SubKey(),
         L"Entry2=Dir",
         L"Property2=PROOT5",
         L"Root3=2",
         L"Key3=" + machine64.SubKey(),
         L"Entry3=NoSuchValue",
         L"Property3=PMISSING",
         L"Root5=2",
         L"Key5=" + machine64.SubKey(),
         L"Entry5=Dir",
         L"Property5=AFTERGAP",
         L"[ReadRegEntries64]",
         L"Root1=2",
         L"Key1=" + machine64.SubKey(),
         L"Entry1=Dir",
         L"Property1=P64",
         L"Root2=1",
         L"Key2=" + user.SubKey(),
         L"Entry2=Count",
         L"Property2=PUSER"});
    const auto condition = condtest::EvaluateAll(path);

    const auto& properties = condition->RegistryProperties();
    ASSERT_EQ(properties.size(), 5u); // the list of the 32-bit section ends at the missing Root4
    EXPECT_EQ(properties[0].PropertyName, L"P32");
    EXPECT_EQ(properties[0].Value, L"D:\\thirty-two");
    EXPECT_FALSE(properties[0].View64);
    EXPECT_EQ(properties[1].Root, 5);
    EXPECT_EQ(properties[1].Value, L""); // no hive
    EXPECT_EQ(properties[2].Value, L""); // no value
    EXPECT_EQ(properties[3].PropertyName, L"P64");
    EXPECT_EQ(properties[3].Value, L"D:\\sixty-four");
    EXPECT_TRUE(properties[3].View64);
    EXPECT_EQ(properties[4].Value, L"7");

    // Before any {File} condition the values are put in as read; unread ones vanish.
    ASSERT_EQ(condition->Conditions().size(), 1u);
    EXPECT_EQ(condition->Conditions()[0].Location, L"{HKEY_LOCAL_MACHINE\\D:\\thirty-two\\D:\\sixty-four\\7\\\\}");
}
