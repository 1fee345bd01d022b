#pragma once
// Reading the windows of another process: controls, list views, dialogs and message boxes. Every
// message goes out with a time-out, so that a hung target fails a test instead of hanging it.
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace testenv {

constexpr UINT kQueryTimeoutMs = 1000;

// Polls `condition` about every 20 ms until it holds; false when `timeoutMs` passed first.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// One message to a window of any process; false when it did not answer in time.
bool Query(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result, UINT timeoutMs = kQueryTimeoutMs);

std::wstring ClassOf(HWND window);
// WM_GETTEXT (Wine and Windows copy the text across processes); empty when the window did not answer.
std::wstring TextOf(HWND window);

// The direct child of `parent` with control id `id`. Several children may share an id (a wizard that
// hides the sheet's own buttons and puts its own in their place): the visible one wins.
HWND ChildById(HWND parent, int id);

struct ControlState {
    HWND window = nullptr; // null: no such control; every other member is then empty
    std::wstring className;
    std::wstring text;
    bool visible = false; // the control and all its parents
    bool enabled = false;
    int checked = -1; // BM_GETCHECK for buttons (BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE); -1 otherwise
    RECT screenRect{};
};
ControlState ReadControl(HWND control);

// The centre of a window's rectangle, in screen coordinates.
POINT CentreOf(HWND window);

// The control of a thread that has the keyboard focus (GetGUIThreadInfo); null when none.
HWND FocusOf(HWND windowOfThatThread);

struct ListItem {
    std::wstring text;
    int image = -1;
};
// The item count of a list view, -1 when it did not answer.
int ListViewCount(HWND listView);
// Texts and image indexes of a list view's items. The item structure and the text buffer live in the
// list view's process (VirtualAllocEx), since the message carries pointers; empty on failure.
std::vector<ListItem> ListViewItems(HWND listView);

// The visible top-level dialogs (class "#32770") of a process other than `except`.
std::vector<HWND> DialogsOf(DWORD processId, HWND except = nullptr);

struct MessageBoxContent {
    std::wstring title;
    std::wstring text;                   // the box's text control (id 0xFFFF); empty for other dialogs
    std::map<int, std::wstring> buttons; // control id -> caption, visible buttons only
};
MessageBoxContent ReadMessageBox(HWND box);

} // namespace testenv
