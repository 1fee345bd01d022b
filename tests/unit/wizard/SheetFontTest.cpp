// The sheet's template font for CJK user-interface languages: the rewritten template still makes
// the same dialog, now in "Arial" 8.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "ui/OrloSheet.h"

namespace {
class TemplateWriter {
public:
    void Word(WORD value) { Append(&value, sizeof(value)); }
    void Dword(DWORD value) { Append(&value, sizeof(value)); }
    void Text(const std::wstring& text) { Append(text.c_str(), (text.size() + 1) * sizeof(wchar_t)); }
    void Align()
    {
        while (m_bytes.size() % 4 != 0) {
            m_bytes.push_back(0);
        }
    }
    std::vector<BYTE>& Bytes() { return m_bytes; }

private:
    void Append(const void* data, size_t size)
    {
        const size_t at = m_bytes.size();
        m_bytes.resize(at + size);
        std::memcpy(m_bytes.data() + at, data, size);
    }
    std::vector<BYTE> m_bytes;
};

// An extended template in "MS Shell Dlg" 9 with a static (by class name) and a button (by atom).
std::vector<BYTE> MakeTemplate()
{
    TemplateWriter t;
    t.Word(1);
    t.Word(0xFFFF);
    t.Dword(0);
    t.Dword(0);
    t.Dword(DS_SETFONT | WS_POPUP | WS_CAPTION);
    t.Word(2);
    for (short v : {0, 0, 200, 100}) {
        t.Word(static_cast<WORD>(v));
    }
    t.Word(0);  // no menu
    t.Word(0);  // default class
    t.Text(L"Sheet");
    t.Word(9);
    t.Word(400);
    t.Word(0);  // italic, charset
    t.Text(L"MS Shell Dlg");
    const auto item = [&](DWORD style, short x, DWORD id, bool byAtom, const std::wstring& title) {
        t.Align();
        t.Dword(0);
        t.Dword(0);
        t.Dword(style | WS_CHILD | WS_VISIBLE);
        for (short v : {x, short{10}, short{60}, short{14}}) {
            t.Word(static_cast<WORD>(v));
        }
        t.Dword(id);
        if (byAtom) {
            t.Word(0xFFFF);
            t.Word(0x0080);
        } else {
            t.Text(L"Static");
        }
        t.Text(title);
        t.Word(0);
    };
    item(SS_LEFT, 10, 100, false, L"label");
    item(BS_PUSHBUTTON, 80, 101, true, L"press");
    return t.Bytes();
}

INT_PTR CALLBACK QuietProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

std::wstring FaceOf(HWND dialog)
{
    LOGFONTW font{};
    auto handle = reinterpret_cast<HGDIOBJ>(::SendMessageW(dialog, WM_GETFONT, 0, 0));
    ::GetObjectW(handle, sizeof(font), &font);
    return font.lfFaceName;
}

TEST(SheetFont, RewrittenTemplateMakesTheSameDialogInArial)
{
    std::vector<BYTE> bytes = MakeTemplate();
    const size_t before = bytes.size();
    ASSERT_TRUE(ReplaceDialogTemplateFont(bytes, L"Arial", 8, before));
    EXPECT_LT(bytes.size(), before);

    HWND dialog = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr),
                                               reinterpret_cast<const DLGTEMPLATE*>(bytes.data()), nullptr, QuietProc, 0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(FaceOf(dialog), L"Arial");
    wchar_t text[32] = {};
    ::GetDlgItemTextW(dialog, 100, text, 32);
    EXPECT_STREQ(text, L"label");
    ::GetDlgItemTextW(dialog, 101, text, 32);
    EXPECT_STREQ(text, L"press");
    ::DestroyWindow(dialog);

    // In place, on a buffer that holds just the template.
    std::vector<BYTE> inPlace = MakeTemplate();
    ASSERT_TRUE(ReplaceDialogTemplateFontInPlace(inPlace.data(), L"Arial", 8));
    EXPECT_EQ(std::memcmp(inPlace.data(), bytes.data(), bytes.size()), 0);
}

TEST(SheetFont, TemplatesThatCannotBeRewrittenStayAsTheyAre)
{
    std::vector<BYTE> bytes = MakeTemplate();
    // A longer face name than the template's would not fit where the platform keeps it.
    EXPECT_FALSE(ReplaceDialogTemplateFont(bytes, L"A much longer face name", 8, bytes.size()));
    // Cut short in the middle of the second item.
    std::vector<BYTE> truncated(bytes.begin(), bytes.end() - 10);
    EXPECT_FALSE(ReplaceDialogTemplateFont(truncated, L"Arial", 8, truncated.size()));
    EXPECT_EQ(truncated, std::vector<BYTE>(bytes.begin(), bytes.end() - 10));
    EXPECT_TRUE(UsesArialSheetFont(1041));
    EXPECT_FALSE(UsesArialSheetFont(1033));
}
}  // namespace
