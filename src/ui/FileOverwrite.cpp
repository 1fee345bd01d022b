#include "ui/FileOverwrite.h"

#include <utility>

#include "log/BuildLogFile.h"
#include "resources/ResourceIds.h"
#include "settings/Messages.h"
#include "ui/OrloSheet.h"
#include "ui/TextFit.h"
#include "ui/WizardMessages.h"
#include "util/ProcessContext.h"

namespace {
constexpr int kOverwriteTemplate = 910;
constexpr int kExistsText = 1025;
constexpr int kFileNameText = 1030;
constexpr int kQuestionText = 1026;
constexpr int kButtonHeight = 30;
constexpr int kRowWidth = 475;
constexpr int kSlotWidth = 95;
constexpr int kSlotGap = 2;
constexpr const wchar_t* kLogFunction = L"Overwrite dialog";

struct AnswerButton {
    int id;
    int messageId;
    int answer;
    const wchar_t* logLine;
};
// In the order of the row and of the keyboard.
constexpr AnswerButton kAnswers[] = {
    {1024, 702, kOverwriteYes, L"User Clicked on 'Yes' button"},
    {1027, 703, kOverwriteYesToAll, L"User Clicked on 'Yes To All' button"},
    {1028, 704, kOverwriteNo, L"User Clicked on 'No' button"},
    {1029, 705, kOverwriteNoToAll, L"User Clicked on 'No To All' button"},
    {IDCANCEL, 112, kOverwriteCancel, L"User Clicked on 'Cancel' button"},
};
} // namespace

CFileOverwrite::CFileOverwrite(COrloSheet& sheet, std::wstring fileName)
    : m_sheet(sheet), m_fileName(std::move(fileName))
{
}

CFileOverwrite::~CFileOverwrite()
{
    for (auto& button : m_buttons) {
        button.reset();
    }
    if (m_window != nullptr) {
        ::DestroyWindow(m_window);
    }
}

// The prompt runs its own modal loop rather than DialogBoxParam: its keys (arrows, Tab, Escape)
// must be seen before the dialog manager moves the focus or turns Escape into IDCANCEL, and a loop
// of our own does that without a message hook, as the sheet's loop does for the wizard.
int CFileOverwrite::DoModal()
{
    HWND owner = m_sheet.Window();
    m_window = ::CreateDialogParamW(m_sheet.Context().instance, MAKEINTRESOURCEW(kOverwriteTemplate), owner, DialogProc,
                                    reinterpret_cast<LPARAM>(static_cast<CDialogBinding*>(this)));
    if (m_window == nullptr) {
        const DWORD error = ::GetLastError();
        Log().WriteLine(kLogError, kLogFunction, L"The overwrite prompt could not be created : %lu", error);
        return m_answer;
    }
    const bool ownerWasEnabled = owner != nullptr && ::IsWindowEnabled(owner);
    if (ownerWasEnabled) {
        ::EnableWindow(owner, FALSE);
    }
    ::ShowWindow(m_window, SW_SHOW);
    ::SetForegroundWindow(m_window);
    MSG message{};
    while (!m_done) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) {
                ::PostQuitMessage(static_cast<int>(message.wParam)); // for the loop outside
            }
            break;
        }
        if (PreTranslateMessage(message)) {
            continue;
        }
        if (!::IsDialogMessageW(m_window, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    // The owner is enabled before the prompt goes, so that it gets the activation back.
    if (ownerWasEnabled) {
        ::EnableWindow(owner, TRUE);
    }
    for (auto& button : m_buttons) {
        button.reset();
    }
    ::DestroyWindow(m_window);
    m_window = nullptr;
    return m_answer;
}

INT_PTR CFileOverwrite::HandleMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog();
        return FALSE; // the focus is set
    case UM_BUTTON_CLICKED:
        Answer(static_cast<int>(wParam));
        return TRUE;
    case WM_COMMAND:
        // Space on a focused answer, and the close box (IDCANCEL): Escape never gets this far.
        if (HIWORD(wParam) == BN_CLICKED || LOWORD(wParam) == IDCANCEL) {
            Answer(LOWORD(wParam));
        }
        return TRUE;
    case WM_CLOSE:
        Answer(IDCANCEL);
        return TRUE;
    case WM_HELP:
        return TRUE;
    default:
        return FALSE;
    }
}

void CFileOverwrite::OnInitDialog()
{
    HICON icon = ::LoadIconW(m_sheet.Context().instance, MAKEINTRESOURCEW(IDI_TARVEX));
    ::SendMessageW(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    ::SendMessageW(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    ::SetWindowLongPtrW(m_window, GWL_STYLE, ::GetWindowLongPtrW(m_window, GWL_STYLE) | WS_SYSMENU);
    ::SetWindowPos(m_window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    for (int id : {kExistsText, kFileNameText, kQuestionText}) {
        ::SendDlgItemMessageW(m_window, id, WM_SETFONT, reinterpret_cast<WPARAM>(m_sheet.TextFont()), FALSE);
    }
    CreateButtons();
    SetFittedText(::GetDlgItem(m_window, kExistsText), GetMessage(700), kFitEllipsisAfter);
    SetFittedText(::GetDlgItem(m_window, kQuestionText), GetMessage(701), kFitEllipsisAfter);
    SetFittedText(::GetDlgItem(m_window, kFileNameText), m_fileName, kFitEllipsisBefore);
    ::SetWindowTextW(m_window, m_sheet.Context().displayName.c_str());
}

void CFileOverwrite::CreateButtons()
{
    RECT question{};
    ::GetWindowRect(::GetDlgItem(m_window, kQuestionText), &question);
    ::MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT*>(&question), 2);
    RECT frame{};
    ::GetWindowRect(m_window, &frame);
    const int top = question.bottom + 3;
    const int left = (frame.right - frame.left - kRowWidth - 8) / 2;
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        const AnswerButton& answer = kAnswers[i];
        const int slot = left + static_cast<int>(i) * kSlotWidth;
        const RECT area{i == 0 ? slot : slot + kSlotGap, top, slot + kSlotWidth, top + kButtonHeight};
        auto button = std::make_unique<COrloButton>(GetMessage(answer.messageId), m_window);
        button->Create(m_window, answer.id, area);
        button->SetBackgroundColour(kWizardBackground);
        ::ShowWindow(button->Window(), SW_SHOW);
        button->SetEnabledState(true);
        button->NormalLook();
        m_buttons[i] = std::move(button);
    }
    GiveFocus(0);
}

void CFileOverwrite::GiveFocus(size_t index)
{
    m_focused = index;
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        if (i != index) {
            m_buttons[i]->NormalLook();
        }
    }
    m_buttons[index]->FocusedLook();
    ::SetFocus(m_buttons[index]->Window());
    ::SendMessageW(m_window, DM_SETDEFID, static_cast<WPARAM>(kAnswers[index].id), 0);
}

void CFileOverwrite::MoveFocus(bool backwards)
{
    const size_t count = m_buttons.size();
    GiveFocus(backwards ? (m_focused + count - 1) % count : (m_focused + 1) % count);
}

bool CFileOverwrite::PreTranslateMessage(const MSG& message)
{
    if (message.message != WM_KEYDOWN || m_window == nullptr ||
        (message.hwnd != m_window && !::IsChild(m_window, message.hwnd))) {
        return false;
    }
    if (m_inKey) {
        return true;
    }
    m_inKey = true;
    bool consumed = true;
    switch (message.wParam) {
    case VK_ESCAPE:
        break; // the prompt needs an answer
    case VK_TAB:
        MoveFocus((::GetKeyState(VK_SHIFT) & 0x8000) != 0);
        break;
    case VK_LEFT:
    case VK_UP:
        MoveFocus(true);
        break;
    case VK_RIGHT:
    case VK_DOWN:
        MoveFocus(false);
        break;
    case VK_RETURN:
        m_buttons[m_focused]->Click();
        break;
    default:
        consumed = false;
        break;
    }
    m_inKey = false;
    return consumed;
}

void CFileOverwrite::Answer(int buttonId)
{
    for (const AnswerButton& answer : kAnswers) {
        if (answer.id != buttonId) {
            continue;
        }
        Log().WriteLine(kLogInfo, kLogFunction, L"%ls", answer.logLine);
        m_answer = answer.answer;
        m_done = true;
        return;
    }
}
