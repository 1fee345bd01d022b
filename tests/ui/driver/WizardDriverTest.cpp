// The UI driver against a small wizard of another process (uiprobe.exe) that records what reaches
// it: pointer hover and clicks on an owner-drawn button, keys and typed text, reading controls, a
// list view and a message box, screenshots, and the time limit that keeps a hung wizard from
// hanging the run.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "TestEnv.h"
#include "WizardDriver.h"

namespace {
constexpr int kCheck = 1101;
constexpr int kEdit = 1102;
constexpr int kButton = 1103;
constexpr int kList = 1201;
// The sheet's own buttons.
constexpr int kBack = 12323;
constexpr int kNext = 12324;
const std::wstring kTitle = L"UI Probe";
// The probe button's looks.
constexpr COLORREF kFace = RGB(230, 230, 230);
constexpr COLORREF kHoverFace = RGB(239, 181, 73);
constexpr COLORREF kFocusRing = RGB(24, 103, 158);

class DriverOnProbe : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(probe.Started());
        ASSERT_TRUE(probe.WaitForSheet(kTitle)) << "the probe wizard never showed";
        ASSERT_TRUE(probe.WaitForPage(kCheck));
    }

    std::vector<std::string> Record() const { return testenv::ReadLines(record); }
    bool WaitForRecord(const std::string& line) const
    {
        return testenv::WaitUntil(
            [&] {
                const auto lines = Record();
                return std::find(lines.begin(), lines.end(), line) != lines.end();
            },
            5000);
    }
    // A point on the probe button's face, clear of its ring and caption; and one on its ring.
    POINT OnFace() const
    {
        const RECT rect = probe.Read(kButton).screenRect;
        return POINT{rect.left + 6, (rect.top + rect.bottom) / 2};
    }
    POINT OnRing() const
    {
        const RECT rect = probe.Read(kButton).screenRect;
        return POINT{rect.left + 1, (rect.top + rect.bottom) / 2};
    }
    bool WaitForColour(POINT at, COLORREF colour) const
    {
        return testenv::WaitUntil([&] { return testenv::ScreenPixel(at) == colour; }, 3000);
    }

    testenv::ScratchDir dir{L"uiprobe"};
    std::wstring record = dir / L"record.txt";
    testenv::WizardDriver probe{testenv::BinDir() + L"uiprobe.exe", {record}, 60000};
};
} // namespace

TEST_F(DriverOnProbe, PointerAndKeysReachTheOwnerDrawnButtonAndTheControls)
{
    const testenv::ControlState next = probe.Read(kNext);
    EXPECT_TRUE(next.visible && next.enabled) << "the sheet's own Next button is found beside the page";
    EXPECT_FALSE(probe.Read(kBack).enabled);
    const testenv::ControlState button = probe.Read(kButton);
    EXPECT_EQ(button.className, L"Button");
    EXPECT_EQ(button.text, L"Hover me");
    EXPECT_EQ(button.checked, BST_UNCHECKED);
    EXPECT_EQ(probe.Read(kEdit).checked, -1);
    EXPECT_TRUE(WaitForColour(OnFace(), kFace)) << "drawn once the probe has painted";

    // Hover is seen and drawn: the button's look follows the pointer.
    ASSERT_TRUE(probe.Hover(kButton));
    EXPECT_TRUE(WaitForColour(OnFace(), kHoverFace)) << std::hex << testenv::ScreenPixel(OnFace());
    EXPECT_TRUE(probe.Screenshot(L"driver-probe-hover").saved);
    // Two clicks in a row on one spot stay two clicks, never a double click.
    ASSERT_TRUE(probe.Click(kButton));
    ASSERT_TRUE(probe.Click(kButton));
    testenv::WaitUntil([&] { return Record().size() >= 7; }, 5000);
    EXPECT_EQ(Record(), (std::vector<std::string>{"1103 hover", "1103 down", "1103 up", "1103 click", "1103 down",
                                                  "1103 up", "1103 click"}));

    // A click on the edit gives it the focus; keys need the sheet in the foreground.
    ASSERT_TRUE(probe.Click(kEdit));
    EXPECT_TRUE(testenv::WaitUntil([&] { return probe.FocusedId() == kEdit; }, 2000));
    ASSERT_TRUE(probe.Type(L"Grüße 42"));
    testenv::WaitUntil([&] { return probe.Read(kEdit).text == L"Grüße 42"; }, 2000);
    EXPECT_EQ(probe.Read(kEdit).text, L"Grüße 42");
    EXPECT_EQ(::GetForegroundWindow(), probe.Sheet());

    ASSERT_TRUE(probe.Press(VK_TAB, testenv::kShift));
    EXPECT_TRUE(testenv::WaitUntil([&] { return probe.FocusedId() == kCheck; }, 2000));
    ASSERT_TRUE(probe.Press(VK_SPACE));
    EXPECT_TRUE(testenv::WaitUntil([&] { return probe.Read(kCheck).checked == BST_CHECKED; }, 2000));
    ASSERT_TRUE(probe.Press(VK_TAB));
    ASSERT_TRUE(probe.Press(VK_TAB));
    EXPECT_TRUE(testenv::WaitUntil([&] { return probe.FocusedId() == kButton; }, 2000));
    EXPECT_TRUE(WaitForColour(OnRing(), kFocusRing)) << std::hex << testenv::ScreenPixel(OnRing());
    ASSERT_TRUE(probe.Press(VK_SPACE));
    EXPECT_TRUE(WaitForRecord("1103 command")) << "Space on the focused button did not activate it";

    const CaptureResult shot = probe.Screenshot(L"driver-probe-input");
    ASSERT_TRUE(shot.saved) << shot.error;
    EXPECT_GE(shot.distinctColours, 4);
}

TEST_F(DriverOnProbe, ListViewAndMessageBoxOfTheOtherProcess)
{
    ASSERT_TRUE(probe.Click(kNext));
    ASSERT_TRUE(probe.WaitForPage(kList));
    EXPECT_FALSE(probe.OnPage(kCheck));
    EXPECT_TRUE(probe.Read(kBack).enabled);
    const auto items = probe.ListItems(kList);
    ASSERT_EQ(items.size(), 3u);
    const std::pair<const wchar_t*, int> expected[] = {{L"alpha", 2}, {L"beta", 0}, {L"gamma", 1}};
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].text, expected[i].first) << i;
        EXPECT_EQ(items[i].image, expected[i].second) << i;
    }
    const CaptureResult whole = probe.Screenshot(L"driver-probe-list", CaptureArea::Window);
    ASSERT_TRUE(whole.saved) << whole.error;

    // Escape asks; No keeps the wizard, and the sheet's Cancel asks again.
    ASSERT_TRUE(probe.Press(VK_ESCAPE));
    HWND box = probe.WaitForDialog();
    ASSERT_NE(box, nullptr) << "Escape raised no question";
    const testenv::MessageBoxContent content = testenv::ReadMessageBox(box);
    EXPECT_EQ(content.title, kTitle);
    EXPECT_EQ(content.text, L"Quit the probe?");
    EXPECT_EQ(content.buttons, (std::map<int, std::wstring>{{IDYES, L"&Yes"}, {IDNO, L"&No"}}));
    ASSERT_TRUE(probe.ClickDialogButton(box, IDNO));
    EXPECT_TRUE(testenv::WaitUntil([&] { return !::IsWindow(box); }, 3000));
    EXPECT_TRUE(probe.Running());

    ASSERT_TRUE(probe.Click(IDCANCEL));
    box = probe.WaitForDialog();
    ASSERT_NE(box, nullptr) << "Cancel raised no question";
    ASSERT_TRUE(probe.ClickDialogButton(box, IDYES));
    DWORD exitCode = 0;
    ASSERT_TRUE(probe.WaitForExit(exitCode));
    EXPECT_EQ(exitCode, 3u);
    EXPECT_EQ(Record(), (std::vector<std::string>{"cancel=no", "cancel=yes"}));
}

TEST(RealInput, PointerLandsOnTheIntendedPixelAnywhereOnTheScreen)
{
    const LONG left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const LONG top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    const LONG right = left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN) - 1;
    const LONG bottom = top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN) - 1;
    // Corners, and points where rounding the normalised coordinates either way would be a pixel off.
    const POINT points[] = {{left, top}, {right, bottom}, {left + 1, bottom - 1}, {677, 541}, {678, 542}, {333, 777}};
    for (const POINT& target : points) {
        EXPECT_TRUE(testenv::MovePointerTo(target)) << target.x << "," << target.y;
        POINT at{};
        ::GetCursorPos(&at);
        EXPECT_EQ(at.x, target.x);
        EXPECT_EQ(at.y, target.y);
    }
}

TEST(WizardDriver, AWizardPastItsTimeLimitIsKilledAndFailsTheTest)
{
    testenv::ScratchDir dir{L"uiprobe"};
    const std::wstring record = dir / L"record.txt";
    DWORD pid = 0;
    EXPECT_NONFATAL_FAILURE(
        {
            testenv::WizardDriver probe(testenv::BinDir() + L"uiprobe.exe", {record}, 1500);
            pid = probe.ProcessId();
            // Every wait ends when the process is killed, long before its own time-out.
            const DWORD start = ::GetTickCount();
            EXPECT_FALSE(probe.WaitForPage(kList, 60000));
            EXPECT_LT(::GetTickCount() - start, 10000u);
            EXPECT_TRUE(probe.Killed());
        },
        "time limit");
    EXPECT_NE(pid, 0u);
    EXPECT_TRUE(testenv::TopLevelWindows(pid).empty());
}
