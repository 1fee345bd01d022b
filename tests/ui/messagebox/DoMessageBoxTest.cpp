// Opens real message boxes through DoMessageBox on a second thread, reads them back from the
// window system (buttons, captions, icon, default button) and clicks a button.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "settings/Messages.h"
#include "ui/MessageBox.h"
#include "util/Util.h"

namespace {
struct SeenBox {
    std::map<int, std::wstring> buttons;  // id -> caption
    int defaultButton = 0;
    HICON icon = nullptr;
    std::wstring text;
};

std::wstring WindowText(HWND window)
{
    wchar_t buffer[512] = {};
    ::GetWindowTextW(window, buffer, 512);
    return buffer;
}

HWND WaitForBox(const std::wstring& caption)
{
    for (int i = 0; i < 500; ++i) {
        HWND box = ::FindWindowW(L"#32770", caption.c_str());
        if (box != nullptr && ::IsWindowVisible(box)) {
            return box;
        }
        ::Sleep(10);
    }
    return nullptr;
}

SeenBox ReadBox(HWND box)
{
    SeenBox seen;
    for (int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
        if (HWND button = ::GetDlgItem(box, id)) {
            seen.buttons[id] = WindowText(button);
            if (::GetWindowLongW(button, GWL_STYLE) & BS_DEFPUSHBUTTON) {
                seen.defaultButton = id;
            }
        }
    }
    ::EnumChildWindows(
        box,
        [](HWND child, LPARAM context) -> BOOL {
            auto* result = reinterpret_cast<SeenBox*>(context);
            wchar_t className[32] = {};
            ::GetClassNameW(child, className, 32);
            if (std::wstring(className) == L"Static") {
                if ((::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
                    result->icon = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
                } else if (result->text.empty()) {
                    result->text = WindowText(child);
                }
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&seen));
    return seen;
}

// Shows the box on its own thread, inspects it, presses `press`, and returns what was seen and
// what DoMessageBox returned.
std::pair<SeenBox, int> ShowAndPress(const std::wstring& text, UINT type, int press)
{
    const std::wstring caption = L"Tarvex box test " + CUtil::NewGuidString();
    SetAppName(caption);
    auto result = std::async(std::launch::async, [&] { return DoMessageBox(text, type); });
    HWND box = WaitForBox(caption);
    EXPECT_NE(box, nullptr) << "no box appeared";
    SeenBox seen;
    if (box != nullptr) {
        ::Sleep(50);  // captions are set on activation
        seen = ReadBox(box);
        HWND button = ::GetDlgItem(box, press);
        EXPECT_NE(button, nullptr);
        ::PostMessageW(button, BM_CLICK, 0, 0);
    }
    const int pressed = result.get();
    ClearAppName();
    return {seen, pressed};
}
}  // namespace

TEST(DoMessageBox, OkBoxHasTheExclamationIconAndTheOkCaption)
{
    ClearMessageTable();
    const auto [seen, pressed] = ShowAndPress(L"Another instance is already running.", MB_OK, IDOK);
    EXPECT_EQ(pressed, IDOK);
    EXPECT_EQ(seen.buttons, (std::map<int, std::wstring>{{IDOK, L"&OK"}}));
    EXPECT_EQ(seen.icon, ::LoadIconW(nullptr, IDI_EXCLAMATION));
}

TEST(DoMessageBox, OkCancelUsesTheCurrentLanguageAndDefaultsToTheSecondButton)
{
    ClearMessageTable();
    MessageTable()[405] = L"&Weiter";
    MessageTable()[406] = L"&Abbrechen";
    const auto [seen, pressed] = ShowAndPress(L"Continue?", MB_OKCANCEL, IDCANCEL);
    ClearMessageTable();
    EXPECT_EQ(pressed, IDCANCEL);
    EXPECT_EQ(seen.buttons, (std::map<int, std::wstring>{{IDOK, L"&Weiter"}, {IDCANCEL, L"&Abbrechen"}}));
    EXPECT_EQ(seen.defaultButton, IDCANCEL);
    EXPECT_EQ(seen.icon, ::LoadIconW(nullptr, IDI_EXCLAMATION));
}

TEST(DoMessageBox, YesNoBoxesAskWithTheirIconAndReturnThePressedButton)
{
    ClearMessageTable();
    MessageTable()[702] = L"&Ja";
    const auto [question, pressedNo] = ShowAndPress(L"Windows 95 is not supported. Do you want to continue?", MB_YESNO, IDNO);
    EXPECT_EQ(pressedNo, IDNO);
    EXPECT_EQ(question.buttons, (std::map<int, std::wstring>{{IDYES, L"&Ja"}, {IDNO, L"&No"}}));
    EXPECT_EQ(question.defaultButton, IDNO);
    EXPECT_EQ(question.icon, ::LoadIconW(nullptr, IDI_QUESTION));

    const auto [warning, pressedYes] = ShowAndPress(L"Overwrite?", MB_YESNO | MB_ICONEXCLAMATION, IDYES);
    ClearMessageTable();
    EXPECT_EQ(pressedYes, IDYES);
    EXPECT_EQ(warning.icon, ::LoadIconW(nullptr, IDI_EXCLAMATION));
}

TEST(DoMessageBox, StopBoxAndUnmappedButtonsFallBackToTheOwnTexts)
{
    ClearMessageTable();
    const auto [stop, pressedOk] = ShowAndPress(L"Extraction failed", MB_OK | MB_ICONHAND, IDOK);
    EXPECT_EQ(pressedOk, IDOK);
    EXPECT_EQ(stop.icon, ::LoadIconW(nullptr, IDI_HAND));

    const auto [three, pressed] = ShowAndPress(L"Save?", MB_YESNOCANCEL, IDYES);
    EXPECT_EQ(pressed, IDYES);
    EXPECT_EQ(three.buttons,
              (std::map<int, std::wstring>{{IDYES, L"&Yes"}, {IDNO, L"&No"}, {IDCANCEL, L"&Cancel"}}));
    EXPECT_EQ(three.icon, ::LoadIconW(nullptr, IDI_QUESTION));
}
