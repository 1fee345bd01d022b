#include "RealInput.h"

#include <cstdlib>
#include <vector>

#include "WindowQuery.h"

namespace testenv {

namespace {
constexpr DWORD kStepPauseMs = 15;
constexpr DWORD kButtonPauseMs = 60;
constexpr int kMoveSteps = 4;

bool Send(std::vector<INPUT> inputs)
{
    return ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

// Absolute coordinates are 0..65535 over the virtual desktop. Wine maps them back rounding down, so
// aim at the middle of the pixel: aiming at its left edge lands one pixel short on some columns.
LONG Normalise(LONG value, int origin, int extent)
{
    return static_cast<LONG>((static_cast<LONGLONG>(value - origin) * 2 + 1) * 65536 /
                             (2 * static_cast<LONGLONG>(extent)));
}

INPUT MouseInput(DWORD flags, POINT at = {})
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        input.mi.dx = Normalise(at.x, ::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_CXVIRTUALSCREEN));
        input.mi.dy = Normalise(at.y, ::GetSystemMetrics(SM_YVIRTUALSCREEN), ::GetSystemMetrics(SM_CYVIRTUALSCREEN));
    }
    return input;
}

INPUT KeyInput(WORD virtualKey, bool up)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    switch (virtualKey) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_INSERT:
    case VK_DELETE:
        input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
        break;
    default:
        break;
    }
    return input;
}
} // namespace

bool MovePointerTo(POINT screen)
{
    constexpr DWORD kFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    POINT from{};
    ::GetCursorPos(&from);
    for (int step = 1; step <= kMoveSteps; ++step) {
        const POINT at{from.x + (screen.x - from.x) * step / kMoveSteps,
                       from.y + (screen.y - from.y) * step / kMoveSteps};
        if (!Send({MouseInput(kFlags, at)})) {
            return false;
        }
        ::Sleep(kStepPauseMs);
    }
    // A move to where the pointer already is produces no mouse message at all: nudge it off and back.
    if (from.x == screen.x && from.y == screen.y) {
        const LONG aside = screen.x > ::GetSystemMetrics(SM_XVIRTUALSCREEN) ? screen.x - 1 : screen.x + 1;
        if (!Send({MouseInput(kFlags, POINT{aside, screen.y})})) {
            return false;
        }
        ::Sleep(kStepPauseMs);
        if (!Send({MouseInput(kFlags, screen)})) {
            return false;
        }
    }
    ::Sleep(kButtonPauseMs);
    POINT now{};
    return ::GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
}

bool ClickAt(POINT screen)
{
    // Two clicks on one spot within the double-click time make a double click, which a button class
    // with CS_DBLCLKS receives as WM_LBUTTONDBLCLK instead of a second press: Next clicked on two
    // pages in a row would then depend on timing. A deliberate person's clicks stay apart.
    static DWORD lastClick = 0;
    static POINT lastPlace{-100000, -100000};
    const DWORD sinceLast = ::GetTickCount() - lastClick;
    const DWORD doubleClickMs = ::GetDoubleClickTime();
    if (std::abs(screen.x - lastPlace.x) <= ::GetSystemMetrics(SM_CXDOUBLECLK) &&
        std::abs(screen.y - lastPlace.y) <= ::GetSystemMetrics(SM_CYDOUBLECLK) && sinceLast <= doubleClickMs) {
        ::Sleep(doubleClickMs - sinceLast + 50);
    }
    if (!MovePointerTo(screen) || !Send({MouseInput(MOUSEEVENTF_LEFTDOWN)})) {
        return false;
    }
    ::Sleep(kButtonPauseMs);
    const bool released = Send({MouseInput(MOUSEEVENTF_LEFTUP)});
    lastClick = ::GetTickCount();
    lastPlace = screen;
    ::Sleep(kButtonPauseMs);
    return released;
}

bool PressKey(WORD virtualKey, unsigned modifiers)
{
    static const struct {
        unsigned modifier;
        WORD key;
    } kModifierKeys[] = {{kShift, VK_SHIFT}, {kControl, VK_CONTROL}, {kAlt, VK_MENU}};
    std::vector<INPUT> down;
    std::vector<INPUT> up;
    for (const auto& entry : kModifierKeys) {
        if (modifiers & entry.modifier) {
            down.push_back(KeyInput(entry.key, false));
            up.insert(up.begin(), KeyInput(entry.key, true));
        }
    }
    down.push_back(KeyInput(virtualKey, false));
    up.insert(up.begin(), KeyInput(virtualKey, true));
    if (!Send(down)) {
        return false;
    }
    ::Sleep(kStepPauseMs);
    const bool released = Send(up);
    ::Sleep(kButtonPauseMs);
    return released;
}

bool TypeText(const std::wstring& text)
{
    for (wchar_t c : text) {
        INPUT key{};
        key.type = INPUT_KEYBOARD;
        key.ki.wScan = c;
        key.ki.dwFlags = KEYEVENTF_UNICODE;
        INPUT release = key;
        release.ki.dwFlags |= KEYEVENTF_KEYUP;
        if (!Send({key, release})) {
            return false;
        }
        ::Sleep(kStepPauseMs);
    }
    ::Sleep(kButtonPauseMs);
    return true;
}

bool BringToForeground(HWND window)
{
    if (::GetForegroundWindow() == window) {
        return true;
    }
    ::SetForegroundWindow(window);
    return WaitUntil([window] { return ::GetForegroundWindow() == window; }, 2000);
}

COLORREF ScreenPixel(POINT screen)
{
    HDC dc = ::GetDC(nullptr);
    const COLORREF colour = ::GetPixel(dc, screen.x, screen.y);
    ::ReleaseDC(nullptr, dc);
    return colour;
}

} // namespace testenv
