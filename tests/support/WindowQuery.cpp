#include "WindowQuery.h"

#include <commctrl.h>

#include "ProcessRunner.h"

namespace testenv {

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (condition()) {
            return true;
        }
        if (::GetTickCount() - start >= timeoutMs) {
            return false;
        }
        ::Sleep(20);
    }
}

bool Query(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result, UINT timeoutMs)
{
    DWORD_PTR answer = 0;
    if (::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_BLOCK | SMTO_ABORTIFHUNG, timeoutMs, &answer) ==
        0) {
        return false;
    }
    result = static_cast<LRESULT>(answer);
    return true;
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[128] = {};
    ::GetClassNameW(window, name, 128);
    return name;
}

std::wstring TextOf(HWND window)
{
    LRESULT length = 0;
    if (window == nullptr || !Query(window, WM_GETTEXTLENGTH, 0, 0, length)) {
        return L"";
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = 0;
    if (!Query(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), copied)) {
        return L"";
    }
    text.resize(static_cast<size_t>(copied) < text.size() ? static_cast<size_t>(copied) : text.size() - 1);
    return text;
}

HWND ChildById(HWND parent, int id)
{
    HWND first = nullptr;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (::GetDlgCtrlID(child) != id) {
            continue;
        }
        if (::IsWindowVisible(child)) {
            return child;
        }
        if (first == nullptr) {
            first = child;
        }
    }
    return first;
}

ControlState ReadControl(HWND control)
{
    ControlState state;
    if (control == nullptr || !::IsWindow(control)) {
        return state;
    }
    state.window = control;
    state.className = ClassOf(control);
    state.text = TextOf(control);
    state.visible = ::IsWindowVisible(control) != FALSE;
    state.enabled = ::IsWindowEnabled(control) != FALSE;
    ::GetWindowRect(control, &state.screenRect);
    LRESULT checked = 0;
    if (_wcsicmp(state.className.c_str(), WC_BUTTONW) == 0 && Query(control, BM_GETCHECK, 0, 0, checked)) {
        state.checked = static_cast<int>(checked);
    }
    return state;
}

POINT CentreOf(HWND window)
{
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

HWND FocusOf(HWND windowOfThatThread)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    const DWORD thread = ::GetWindowThreadProcessId(windowOfThatThread, nullptr);
    return thread != 0 && ::GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

int ListViewCount(HWND listView)
{
    LRESULT count = -1;
    return Query(listView, LVM_GETITEMCOUNT, 0, 0, count) ? static_cast<int>(count) : -1;
}

namespace {
// A block of memory in another process, freed on destruction.
class RemoteBlock {
public:
    RemoteBlock(DWORD processId, size_t size)
        : m_process(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId))
    {
        if (m_process != nullptr) {
            m_address = ::VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        }
    }
    ~RemoteBlock()
    {
        if (m_address != nullptr) {
            ::VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
        }
        if (m_process != nullptr) {
            ::CloseHandle(m_process);
        }
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    char* Address() const { return static_cast<char*>(m_address); }
    bool Write(size_t offset, const void* data, size_t size) const
    {
        SIZE_T done = 0;
        return ::WriteProcessMemory(m_process, Address() + offset, data, size, &done) && done == size;
    }
    bool Read(size_t offset, void* data, size_t size) const
    {
        SIZE_T done = 0;
        return ::ReadProcessMemory(m_process, Address() + offset, data, size, &done) && done == size;
    }

private:
    HANDLE m_process;
    void* m_address = nullptr;
};
} // namespace

std::vector<ListItem> ListViewItems(HWND listView)
{
    std::vector<ListItem> items;
    const int count = ListViewCount(listView);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(listView, &processId);
    constexpr int kTextChars = 512;
    // The layout of LVITEMW is the same on both sides: tests and programs are built for one target.
    RemoteBlock block(processId, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
    if (count <= 0 || block.Address() == nullptr) {
        return items;
    }
    for (int i = 0; i < count; ++i) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = i;
        item.pszText = reinterpret_cast<wchar_t*>(block.Address() + sizeof(LVITEMW));
        item.cchTextMax = kTextChars;
        const wchar_t none = L'\0';
        LRESULT ok = 0;
        if (!block.Write(0, &item, sizeof(item)) || !block.Write(sizeof(LVITEMW), &none, sizeof(none)) ||
            !Query(listView, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(block.Address()), ok) || !ok) {
            return {};
        }
        wchar_t text[kTextChars] = {};
        if (!block.Read(0, &item, sizeof(item)) || !block.Read(sizeof(LVITEMW), text, sizeof(text))) {
            return {};
        }
        text[kTextChars - 1] = L'\0';
        items.push_back(ListItem{text, item.iImage});
    }
    return items;
}

std::vector<HWND> DialogsOf(DWORD processId, HWND except)
{
    std::vector<HWND> dialogs;
    for (HWND window : VisibleTopLevelWindows(processId)) {
        if (window != except && ClassOf(window) == L"#32770") {
            dialogs.push_back(window);
        }
    }
    return dialogs;
}

MessageBoxContent ReadMessageBox(HWND box)
{
    MessageBoxContent content;
    content.title = TextOf(box);
    if (HWND text = ::GetDlgItem(box, 0xFFFF)) {
        content.text = TextOf(text);
    }
    for (HWND child = ::GetWindow(box, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (_wcsicmp(ClassOf(child).c_str(), WC_BUTTONW) == 0 && ::IsWindowVisible(child)) {
            content.buttons[::GetDlgCtrlID(child)] = TextOf(child);
        }
    }
    return content;
}

} // namespace testenv
