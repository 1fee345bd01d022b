#include "ui/MessageBox.h"

#include "settings/Messages.h"
#include "util/Handles.h"
#include "util/Util.h"

namespace {
std::wstring g_appName;

// Captions for the box being shown; used only on the thread that shows it.
thread_local std::map<int, std::wstring> t_buttonTextMap;
thread_local HHOOK t_hook = nullptr;

// The executable's own captions for buttons that the plan leaves out.
int FallbackMessageId(int buttonId)
{
    switch (buttonId) {
    case IDYES:
        return 702;
    case IDOK:
        return 405;  // an OK button is never labelled "Yes"
    case IDNO:
        return 704;
    case IDCANCEL:
        return 406;
    default:
        return 0;
    }
}

LRESULT CALLBACK CaptionHook(int code, WPARAM wParam, LPARAM lParam) noexcept
{
    if (code == HCBT_ACTIVATE) {
        const HWND box = reinterpret_cast<HWND>(wParam);
        for (int buttonId : {IDYES, IDOK, IDNO, IDCANCEL}) {
            const HWND button = ::GetDlgItem(box, buttonId);
            if (button == nullptr) {
                continue;
            }
            const auto entry = t_buttonTextMap.find(buttonId);
            const std::wstring text =
                entry != t_buttonTextMap.end() ? entry->second : GetEnglishMessage(FallbackMessageId(buttonId));
            ::SetWindowTextW(button, text.c_str());
        }
        const HHOOK hook = t_hook;
        t_hook = nullptr;
        ::UnhookWindowsHookEx(hook);
        return 0;
    }
    return ::CallNextHookEx(t_hook, code, wParam, lParam);
}
}  // namespace

MessageBoxPlan PlanMessageBox(UINT requestedType)
{
    MessageBoxPlan plan;
    switch (requestedType) {
    case MB_OK:
        plan.shownType = MB_OK | MB_ICONEXCLAMATION;
        plan.captionMessageIds = {{IDOK, 405}};
        break;
    case MB_OKCANCEL:
        plan.shownType = MB_OKCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON2;
        plan.captionMessageIds = {{IDOK, 405}, {IDCANCEL, 406}};
        break;
    case MB_YESNOCANCEL:
        plan.shownType = MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON3;
        break;
    case MB_YESNO:
        plan.shownType = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;
        plan.captionMessageIds = {{IDYES, 702}, {IDNO, 704}};
        break;
    case MB_OK | MB_ICONHAND:
        plan.shownType = MB_OK | MB_ICONHAND;
        plan.captionMessageIds = {{IDOK, 405}};
        break;
    case MB_OKCANCEL | MB_ICONHAND:
        plan.shownType = MB_OKCANCEL | MB_ICONHAND | MB_DEFBUTTON2;
        plan.captionMessageIds = {{IDOK, 405}, {IDCANCEL, 406}};
        break;
    case MB_YESNO | MB_ICONEXCLAMATION:
        plan.shownType = MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2;
        plan.captionMessageIds = {{IDYES, 702}, {IDNO, 704}};
        break;
    default:
        plan.shownType = requestedType;
        break;
    }
    return plan;
}

void SetAppName(const std::wstring& name) { g_appName = name; }
const std::wstring& GetAppName() { return g_appName; }
void ClearAppName() { g_appName.clear(); }

int DoMessageBox(const std::wstring& text, UINT type, UINT helpId)
{
    // The owner is the active window of this thread, if any; it stays disabled while the box is up.
    HWND owner = ::GetActiveWindow();
    DWORD oldHelpContext = 0;
    if (owner != nullptr && helpId != 0) {
        oldHelpContext = ::GetWindowContextHelpId(owner);
        ::SetWindowContextHelpId(owner, helpId + 0x30000);
    }

    const MessageBoxPlan plan = PlanMessageBox(type);
    t_buttonTextMap.clear();
    for (const auto& [buttonId, messageId] : plan.captionMessageIds) {
        t_buttonTextMap[buttonId] = GetMessage(messageId);
    }
    const std::wstring caption = g_appName.empty() ? CUtil::GetModulePath() : g_appName;

    t_hook = ::SetWindowsHookExW(WH_CBT, CaptionHook, nullptr, ::GetCurrentThreadId());
    const int pressed = ::MessageBoxW(owner, text.c_str(), caption.c_str(), plan.shownType);
    if (t_hook != nullptr) {  // the box never activated
        ::UnhookWindowsHookEx(t_hook);
        t_hook = nullptr;
    }

    t_buttonTextMap.clear();
    if (owner != nullptr && helpId != 0) {
        ::SetWindowContextHelpId(owner, oldHelpContext);
    }
    return pressed;
}
