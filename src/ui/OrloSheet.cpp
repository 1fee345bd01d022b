#include "ui/OrloSheet.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>

#include "ui/MessageBox.h"
#include "launch/FinishMessages.h"
#include "ui/LaunchSetup.h"
#include "validation/ExtractorValidator.h"
#include "log/BuildLogFile.h"
#include "resources/ResourceIds.h"
#include "settings/Messages.h"
#include "settings/OrloInitalizer.h"
#include "ui/TextFit.h"
#include "ui/WizardMessages.h"
#include "util/PauseGate.h"
#include "util/Profile.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"
#include "util/Util.h"

namespace {
constexpr const wchar_t* kCancelFunction = L"ConfirmCancel";
constexpr int kHeaderTitleId = 1000;
constexpr int kButtonHeight = 30;
constexpr int kMinimumFooterHeight = 56;
constexpr int kSunkenLineId = 0x3026;
constexpr int kSunkenHeaderLineId = 0x3027;
// The platform's own navigation buttons keep working, hidden, under ids nobody else uses, so the
// wizard's ids name only the wizard's buttons.
constexpr int kPlatformIdBase = 0x7E00;
constexpr int kPlatformButtonIds[] = {kBackButtonId, kNextButtonId, kFinishButtonId, IDCANCEL, IDHELP};
constexpr UINT UM_REMOVE_PAGE = WM_APP + 1;  // wParam: WizardPage
constexpr int kVerdictNotSupported = 302;

COrloSheet* g_creatingSheet = nullptr;  // the sheet whose window the creation callback sees

// Which template a page uses, for PSM_SETCURSELID.
int TemplateOf(WizardPage kind)
{
    switch (kind) {
    case WizardPage::Welcome: return kWelcomeTemplate;
    case WizardPage::Language: return kLanguageTemplate;
    case WizardPage::Requirements: return kRequirementsTemplate;
    case WizardPage::License: return kLicenseTemplate;
    case WizardPage::Location: return kLocationTemplate;
    case WizardPage::Progress: return kProgressTemplate;
    case WizardPage::Launch: return kLaunchTemplate;
    case WizardPage::Finish: return kFinishTemplate;
    }
    return 0;
}

RECT ClientRectOf(HWND window, HWND child)
{
    RECT area{};
    ::GetWindowRect(child, &area);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&area), 2);
    return area;
}
}  // namespace

COrloSheet::COrloSheet(const WizardContext& context)
    : m_context(context),
      m_languagePage(*this),
      m_licensePage(*this),
      m_extractorPage(*this),
      m_autoLaunchPage(*this),
      m_dirChangePage(*this),
      m_finishPage(*this),
      m_conditionPage(*this),
      m_welcomePage(*this),
      m_backgroundBrush(::CreateSolidBrush(kWizardBackground)),
      m_titleFont(::CreateFontIndirectW(&context.titleFont)),
      m_textFont(::CreateFontIndirectW(&context.textFont))
{
}

COrloSheet::~COrloSheet()
{
    if (m_window != nullptr && ::IsWindow(m_window)) {
        ::DestroyWindow(m_window);
    }
}

CWizardPage* COrloSheet::Page(WizardPage kind)
{
    switch (kind) {
    case WizardPage::Welcome: return &m_welcomePage;
    case WizardPage::Language: return &m_languagePage;
    case WizardPage::Requirements: return &m_conditionPage;
    case WizardPage::License: return &m_licensePage;
    case WizardPage::Location: return &m_dirChangePage;
    case WizardPage::Progress: return &m_extractorPage;
    case WizardPage::Launch: return &m_autoLaunchPage;
    case WizardPage::Finish: return &m_finishPage;
    }
    return nullptr;
}

CWizardPage* COrloSheet::ActivePage() { return m_hasActivePage ? Page(m_activePage) : nullptr; }

void COrloSheet::AddPage(WizardPage kind)
{
    if (!HasPage(kind)) {
        m_order.push_back(kind);
    }
}

void COrloSheet::RemovePage(WizardPage kind)
{
    const int index = PageIndex(kind);
    if (index < 0) {
        return;
    }
    if (m_window != nullptr) {
        PropSheet_RemovePage(m_window, index, nullptr);
    }
    m_order.erase(m_order.begin() + index);
}

bool COrloSheet::HasPage(WizardPage kind) const { return PageIndex(kind) >= 0; }

int COrloSheet::PageIndex(WizardPage kind) const
{
    const auto found = std::find(m_order.begin(), m_order.end(), kind);
    return found == m_order.end() ? -1 : static_cast<int>(found - m_order.begin());
}

bool COrloSheet::IsActive(WizardPage kind) const { return m_hasActivePage && m_activePage == kind; }

bool COrloSheet::IsStartPage(WizardPage kind) const { return m_ready && m_startPage == kind; }

COrloButton* COrloSheet::Button(int id)
{
    switch (id) {
    case kBackButtonId: return m_backButton.get();
    case kNextButtonId: return m_nextButton.get();
    case kFinishButtonId: return m_finishButton.get();
    case kCancelButtonId: return m_cancelButton.get();
    default: return nullptr;
    }
}

// ---- Running the sheet

int CALLBACK COrloSheet::SheetCallback(HWND, UINT message, LPARAM lParam) noexcept
{
    if (message != PSCB_PRECREATE || g_creatingSheet == nullptr || lParam == 0) {
        return 0;
    }
    if (!UsesArialSheetFont(g_creatingSheet->m_context.userInterfaceLanguage)) {
        return 0;
    }
    try {
        ReplaceDialogTemplateFontInPlace(reinterpret_cast<BYTE*>(lParam), L"Arial", 8);
    } catch (...) {
    }
    return 0;
}

HPROPSHEETPAGE COrloSheet::CreatePageHandle(WizardPage kind)
{
    return Page(kind)->CreatePage(m_context.instance, m_context.displayName);
}

void COrloSheet::DoModal()
{
    std::vector<HPROPSHEETPAGE> pages;
    for (WizardPage kind : m_order) {
        pages.push_back(CreatePageHandle(kind));
    }
    if (pages.empty()) {
        return;
    }
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_WIZARD97 | PSH_MODELESS | PSH_USECALLBACK | PSH_NOAPPLYNOW;
    header.hInstance = m_context.instance;
    header.pszCaption = L"";
    header.nPages = static_cast<UINT>(pages.size());
    header.phpage = pages.data();
    header.pfnCallback = SheetCallback;
    g_creatingSheet = this;
    m_window = reinterpret_cast<HWND>(::PropertySheetW(&header));
    g_creatingSheet = nullptr;
    if (m_window == nullptr || m_window == reinterpret_cast<HWND>(-1)) {
        const DWORD error = ::GetLastError();
        Log().WriteLine(kLogError, L"COrloSheet", L"The wizard could not be created : %lu", error);
        m_window = nullptr;
        return;
    }
    ::SetWindowSubclass(m_window, SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
    InitialiseSheet();

    MSG message{};
    while (!m_ended && PropSheet_GetCurrentPageHwnd(m_window) != nullptr) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) {
                ::PostQuitMessage(static_cast<int>(message.wParam));  // leave it for whoever loops next
            }
            break;
        }
        if (PreTranslateMessage(message)) {
            continue;
        }
        if (!PropSheet_IsDialogMessage(m_window, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    ::RemoveWindowSubclass(m_window, SubclassProc, 1);
    ::DestroyWindow(m_window);
    m_window = nullptr;
    m_hasActivePage = false;
}

void COrloSheet::EndWizard()
{
    m_ended = true;
    if (m_window != nullptr) {
        ::PostMessageW(m_window, WM_NULL, 0, 0);  // wake the loop
    }
}

void COrloSheet::RemovePageLater(WizardPage kind)
{
    ::PostMessageW(m_window, UM_REMOVE_PAGE, static_cast<WPARAM>(kind), 0);
}

void COrloSheet::OnExtractionDone()
{
    COrloInitalizer& settings = Settings();
    const std::wstring& properties = settings.GetPropertiesPath();
    LoadReturnCodeMessages(L"");
    const bool autolaunch = settings.GetAutolaunch() == 1;
    bool blocked = false;
    if (autolaunch && settings.GetNoOSCheck() != 1 && settings.GetOSResult() == kVerdictNotSupported) {
        Validator().CheckOS(kVerdictNotSupported, settings.GetLanguage(), 1, 1);
        DoMessageBox(settings.GetFinishMessage(), MB_OK | MB_ICONHAND);
        blocked = true;
    }
    const bool wait = settings.GetWaitForAutolaunchFinish() == 1;
    if (!blocked && ReadProfileString(properties, L"Runtime", L"AutoLaunchInstallationDialog") == L"1" &&
        extractOnly == 0 && autolaunch && wait) {
        ActivatePage(WizardPage::Launch);
        return;
    }
    const std::wstring single = ReadProfileString(properties, L"Runtime", L"Autolaunch");
    const std::wstring multilaunch = ReadProfileString(properties, L"Runtime", L"Multilaunch");
    finishAfterLaunch = 1;
    if (!single.empty() && !wait && multilaunch != L"1" && !blocked) {
        finishAfterLaunch = 0;  // the setup starts when Finish is pressed
        ActivatePage(WizardPage::Finish);
        return;
    }
    if (blocked) {
        // The user has seen why nothing is launched; the run ends as a refused launch does.
        EndWizard();
        return;
    }
    if (autolaunch && HandleLaunchSetup() == 10) {
        EndWizard();
        return;
    }
    ActivatePage(WizardPage::Finish);
}

int COrloSheet::HandleLaunchSetup()
{
    bool blocked = false;
    const int result = ::HandleLaunchSetup(m_window, &blocked);
    if (m_window != nullptr && finishAfterLaunch == 1 && !blocked && result != 10) {
        ActivatePage(WizardPage::Finish);
    }
    return result;
}

void COrloSheet::InitialiseSheet()
{
    HICON icon = ::LoadIconW(m_context.instance, MAKEINTRESOURCEW(IDI_TARVEX));
    ::SendMessageW(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    ::SendMessageW(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    ::SetWindowLongPtrW(m_window, GWL_STYLE, ::GetWindowLongPtrW(m_window, GWL_STYLE) | WS_MINIMIZEBOX | WS_SYSMENU);
    if (HMENU menu = ::GetSystemMenu(m_window, FALSE)) {
        ::InsertMenuW(menu, static_cast<UINT>(-1), MF_BYPOSITION | MF_STRING, SC_MINIMIZE, L"Minimize");
    }
    ::SetWindowTextW(m_window, m_context.displayName.c_str());
    HidePlatformControls();

    m_topImage.LoadFile(m_context.topImagePath);
    m_bottomImage.LoadFile(m_context.bottomImagePath);
    // Without a footer image the buttons sit on the sheet's own colour; a white surround would show
    // as a halo around their rounded corners.
    m_buttonBackground = ImagePixelOr(m_context.bottomImagePath, 20, 20, kWizardBackground);

    // The page area and a footer tall enough for the 30-pixel buttons.
    if (HWND page = PropSheet_GetCurrentPageHwnd(m_window)) {
        m_pageRect = ClientRectOf(m_window, page);
    }
    RECT client{};
    ::GetClientRect(m_window, &client);
    const int footer = std::max<int>(client.bottom - m_pageRect.bottom, kMinimumFooterHeight);
    if (footer != client.bottom - m_pageRect.bottom) {
        RECT frame{};
        ::GetWindowRect(m_window, &frame);
        const int grow = footer - (client.bottom - m_pageRect.bottom);
        const int width = frame.right - frame.left;
        const int height = frame.bottom - frame.top + grow;
        const int x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        const int y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
        ::SetWindowPos(m_window, nullptr, std::max(x, 0), std::max(y, 0), width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        ::GetClientRect(m_window, &client);
    }
    m_footerTop = m_pageRect.bottom;
    m_footerHeight = client.bottom - m_pageRect.bottom;

    const std::wstring setupType = ReadProfileString(Settings().GetPropertiesPath(), L"Package", L"Setuptype");
    if (!EqualsNoCase(setupType, L"PLUS")) {
        Log().WriteLine(kLogInfo, L"Setuptype", L"Classic");
        CreateHeaderTitle();
    } else {
        Log().WriteLine(kLogInfo, L"Setuptype", L"PLUS");
    }

    CreateNavigationButtons();
    SetButtonTexts(L"");
    m_ready = 1;
    if (CWizardPage* start = ActivePage()) {
        m_startPage = start->Kind();
        start->Initialise();
    }
    ::InvalidateRect(m_window, nullptr, TRUE);
}

void COrloSheet::HidePlatformControls()
{
    for (int id : kPlatformButtonIds) {
        HWND button = ::GetDlgItem(m_window, id);
        if (button == nullptr || COrloButton::FromWindow(button) != nullptr) {
            continue;
        }
        ::ShowWindow(button, SW_HIDE);
        ::EnableWindow(button, FALSE);
        ::SetWindowLongPtrW(button, GWLP_ID, kPlatformIdBase + id);
    }
    for (int id : {kSunkenLineId, kSunkenHeaderLineId}) {
        if (HWND line = ::GetDlgItem(m_window, id)) {
            ::ShowWindow(line, SW_HIDE);
        }
    }
}

void COrloSheet::CreateHeaderTitle()
{
    RECT client{};
    ::GetClientRect(m_window, &client);
    const int width = client.right - client.left;
    const int x = static_cast<int>(0.3 * width);
    // Right-aligned text must end inside the window: a margin instead of running past its edge.
    const int titleWidth = width - x - 20;
    m_title = ::CreateWindowExW(WS_EX_TRANSPARENT, WC_STATICW, L"", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW,
                                x, client.top + 20, titleWidth, 20, m_window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kHeaderTitleId)), m_context.instance,
                                nullptr);
    ::SendMessageW(m_title, WM_SETFONT, reinterpret_cast<WPARAM>(m_titleFont.Get()), FALSE);
    ::SetWindowTextW(m_title, FitTextToControl(m_context.displayName, m_title, kFitEllipsisAfter).c_str());
    ::SetWindowPos(m_title, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void COrloSheet::CreateNavigationButtons()
{
    const int right = m_pageRect.right;
    const int top = m_footerTop + m_footerHeight / 2 - kButtonHeight / 2;
    const auto make = [&](int id, int messageId, int left, int rightEdge) {
        auto button = std::make_unique<COrloButton>(GetMessage(messageId), m_window);
        const RECT area{right - left, top, right - rightEdge, top + kButtonHeight};
        button->Create(m_window, id, area);
        button->SetBackgroundColour(m_buttonBackground);
        button->NormalLook();
        return button;
    };
    m_backButton = make(kBackButtonId, 110, 356, 246);
    m_nextButton = make(kNextButtonId, 111, 244, 136);
    m_cancelButton = make(kCancelButtonId, 112, 134, 26);
    m_finishButton = make(kFinishButtonId, 114, 134, 26);
    m_finishButton->SetEnabledState(false);
    ::ShowWindow(m_finishButton->Window(), SW_HIDE);
}

void COrloSheet::OnPageActivated(CWizardPage& page)
{
    m_activePage = page.Kind();
    m_hasActivePage = true;
    if (m_title != nullptr) {
        ::SetWindowPos(m_title, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void COrloSheet::ActivatePage(WizardPage kind)
{
    if (m_window != nullptr && HasPage(kind) && !IsActive(kind)) {
        PropSheet_SetCurSelByID(m_window, TemplateOf(kind));
    }
}

// ---- Buttons

std::vector<COrloButton*> COrloSheet::ButtonsInList(const std::wstring& list)
{
    std::vector<COrloButton*> buttons;
    size_t start = 0;
    while (start <= list.size()) {
        const size_t comma = list.find(L',', start);
        const std::wstring name = TrimW(list.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start));
        COrloButton* button = nullptr;
        if (EqualsNoCase(name, L"BACK")) {
            button = m_backButton.get();
        } else if (EqualsNoCase(name, L"NEXT")) {
            button = m_nextButton.get();
        } else if (EqualsNoCase(name, L"CANCEL")) {
            button = m_cancelButton.get();
        } else if (EqualsNoCase(name, L"FINISH")) {
            button = m_finishButton.get();
        }
        if (button != nullptr) {
            buttons.push_back(button);
        }
        if (comma == std::wstring::npos) {
            break;
        }
        start = comma + 1;
    }
    return buttons;
}

void COrloSheet::ShowButtons(const std::wstring& list, int showCommand)
{
    for (COrloButton* button : {m_backButton.get(), m_nextButton.get()}) {
        if (button != nullptr) {
            ::ShowWindow(button->Window(), SW_SHOW);
        }
    }
    for (COrloButton* button : ButtonsInList(list)) {
        ::ShowWindow(button->Window(), showCommand);
    }
}

void COrloSheet::EnableButtons(const std::wstring& list, bool enable)
{
    for (COrloButton* button : ButtonsInList(list)) {
        // Enabled or not, the button starts over in the normal look (a disabled one cannot keep
        // the focus); the page then gives the focus look where it belongs.
        button->SetEnabledState(enable);
        button->NormalLook();
    }
}

void COrloSheet::SetButtonTexts(const std::wstring& mode)
{
    if (!m_nextButton) {
        return;
    }
    if (mode == L"FINISH") {
        m_finishButton->SetCaption(GetMessage(114));
    } else {
        m_cancelButton->SetCaption(GetMessage(112));
    }
    if (mode == L"RETRY") {
        m_nextButton->SetCaption(GetMessage(115));
        SetDefaultButton(kNextButtonId);
    } else {
        m_nextButton->SetCaption(GetMessage(111));
    }
    m_backButton->SetCaption(GetMessage(110));
    for (COrloButton* button : {m_backButton.get(), m_cancelButton.get(), m_nextButton.get()}) {
        ::InvalidateRect(button->Window(), nullptr, FALSE);
    }
}

void COrloSheet::SetFirstPageButtons(bool isStartPage, bool keepDisabled)
{
    if (isStartPage) {
        ShowButtons(L"BACK", SW_HIDE);
        if (!keepDisabled) {
            EnableButtons(L"NEXT,CANCEL", true);
        }
        return;
    }
    ShowButtons(L"", SW_SHOW);
    ShowButtons(L"NEXT", SW_SHOW);
    EnableButtons(L"BACK,NEXT,CANCEL", true);
}

void COrloSheet::SetDefaultButton(int id)
{
    if (CWizardPage* page = ActivePage(); page != nullptr && page->Window() != nullptr) {
        ::SendMessageW(page->Window(), DM_SETDEFID, static_cast<WPARAM>(id), 0);
    }
}

void COrloSheet::GiveFocusLook(COrloButton* focused, bool setFocus)
{
    for (COrloButton* button : {m_backButton.get(), m_nextButton.get(), m_cancelButton.get(), m_finishButton.get()}) {
        if (button != nullptr && button != focused) {
            button->NormalLook();
        }
    }
    if (focused == nullptr) {
        return;
    }
    focused->FocusedLook();
    if (setFocus) {
        ::SetFocus(focused->Window());
        // The platform moves the focus into a page when it shows it; take it back afterwards.
        ::PostMessageW(m_window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focused->Window()), TRUE);
    }
    SetDefaultButton(focused->Id());
}

void COrloSheet::FocusBackButton() { GiveFocusLook(m_backButton.get(), true); }

void COrloSheet::FocusNextButton(bool setFocus)
{
    if (!m_nextButton) {
        return;
    }
    if (!m_nextButton->EnabledState()) {
        GiveFocusLook(m_cancelButton.get(), setFocus);
        return;
    }
    GiveFocusLook(m_nextButton.get(), setFocus);
}

void COrloSheet::FocusCancelButton() { GiveFocusLook(m_cancelButton.get(), true); }

void COrloSheet::FocusFinishButton() { GiveFocusLook(m_finishButton.get(), true); }

void COrloSheet::EnableCloseCommand(int command)
{
    m_closeEnabled = command == 0 ? 0 : 1;
    if (HMENU menu = ::GetSystemMenu(m_window, FALSE)) {
        ::EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | (command == 0 ? MF_GRAYED : MF_ENABLED));
    }
}

// ---- Cancelling

int COrloSheet::ConfirmCancel()
{
    if (IsActive(WizardPage::Finish)) {
        return kCancelNotAsked;
    }
    if (m_questionOpen) {
        return kCancelDeclined;
    }
    const bool workerPage = IsActive(WizardPage::Progress) || IsActive(WizardPage::Launch);
    {
        // The worker goes on to its next checkpoint and waits there while the user decides.
        std::unique_ptr<PauseGateHold> hold;
        if (workerPage) {
            hold = std::make_unique<PauseGateHold>(WorkerPause());
        }
        m_questionOpen = true;
        const int answer = DoMessageBox(GetMessage(113), MB_YESNO);
        m_questionOpen = false;
        if (answer != IDYES) {
            m_extractorPage.ReplayDeferredEnd();
            return kCancelDeclined;
        }
        Flags().Continue = 0;  // seen by the worker when the gate opens
    }
    m_extractorPage.ReplayDeferredEnd();
    int result = kCancelConfirmed;
    if (IsActive(WizardPage::Launch)) {
        m_autoLaunchPage.OnLaunchSetupFinish();
        result = kCancelFromLaunchPage;
    }
    if (m_hasActivePage) {
        // After the page's own step: a worker that is stopped there writes its last status first.
        CancelledOnPage(m_activePage);
        Settings().SetExtractionStatus(IsActive(WizardPage::Requirements) ? -1 : IsActive(WizardPage::Launch) ? 12 : 11);
    }
    return result;
}

void COrloSheet::CancelledOnPage(WizardPage kind)
{
    switch (kind) {
    case WizardPage::Progress:
        Flags().UserCancelled = 1;
        Log().WriteLine(kLogInfo, kCancelFunction, L"User canceled the extraction process");
        m_extractorPage.StopWorker();
        break;
    case WizardPage::Welcome:
        Log().WriteLine(kLogInfo, kCancelFunction, L"User canceled the Welcome Dialog");
        break;
    case WizardPage::Language:
        Log().WriteLine(kLogInfo, kCancelFunction, L"User canceled the Language Dialog");
        break;
    case WizardPage::License:
        Log().WriteLine(kLogInfo, kCancelFunction, L"User canceled the License Dialog");
        break;
    case WizardPage::Location:
        Log().WriteLine(kLogInfo, kCancelFunction, L"User canceled the Browse Dialog");
        break;
    case WizardPage::Requirements:
        break;
    case WizardPage::Launch:
        Log().WriteLine(kLogInfo, kCancelFunction, L"User canceled the AutoLaunch Installation Dialog");
        break;
    case WizardPage::Finish:
        break;
    }
}

void COrloSheet::OnButtonClicked(int id)
{
    switch (id) {
    case kCancelButtonId:
        if (ConfirmCancel() == kCancelConfirmed) {
            ActivatePage(WizardPage::Finish);
        }
        break;
    case kBackButtonId:
        PropSheet_PressButton(m_window, PSBTN_BACK);
        break;
    case kNextButtonId:
        PropSheet_PressButton(m_window, PSBTN_NEXT);
        break;
    case kFinishButtonId:
        PropSheet_PressButton(m_window, PSBTN_FINISH);
        break;
    default:
        break;
    }
}

void COrloSheet::OnCloseRequest()
{
    if (m_closeEnabled == 0) {
        return;
    }
    const int result = ConfirmCancel();
    if (result == kCancelConfirmed) {
        ActivatePage(WizardPage::Finish);
    } else if (result == kCancelNotAsked) {
        EndWizard();
    }
}

void COrloSheet::OnCancelCommand()
{
    if (ConfirmCancel() == kCancelConfirmed) {
        ActivatePage(WizardPage::Finish);
    }
}

// ---- Window messages of the sheet

LRESULT CALLBACK COrloSheet::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR self) noexcept
{
    LRESULT result = 0;
    try {
        if (reinterpret_cast<COrloSheet*>(self)->HandleMessage(message, wParam, lParam, result)) {
            return result;
        }
    } catch (...) {
        return 0;  // nothing may escape into the window system
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

bool COrloSheet::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        HDC dc = ::BeginPaint(m_window, &paint);
        Paint(dc);
        ::EndPaint(m_window, &paint);
        return true;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item != nullptr && item->CtlID == kHeaderTitleId) {
            DrawHeaderTitle(*item);
            result = TRUE;
            return true;
        }
        return false;
    }
    case UM_BUTTON_CLICKED:
        OnButtonClicked(static_cast<int>(wParam));
        return true;
    case UM_REMOVE_PAGE:
        if (!IsActive(static_cast<WizardPage>(wParam))) {
            RemovePage(static_cast<WizardPage>(wParam));
        }
        return true;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            OnCloseRequest();
            return true;
        }
        return false;
    case WM_CLOSE:
        OnCloseRequest();
        return true;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == 5) {
            OnCancelCommand();
            return true;
        }
        return false;
    default:
        return false;
    }
}

void COrloSheet::Paint(HDC dc)
{
    RECT client{};
    ::GetClientRect(m_window, &client);
    ::FillRect(dc, &client, BackgroundBrush());
    const int width = client.right - client.left;
    m_bottomImage.DrawStretched(dc, 0, m_footerTop, width, m_footerHeight);
    m_topImage.DrawStretched(dc, 0, 0, width, kHeaderHeight);
}

void COrloSheet::DrawHeaderTitle(const DRAWITEMSTRUCT& item)
{
    // The title lies over the header strip: draw that part of the strip beneath the text.
    RECT area = item.rcItem;
    RECT client{};
    ::GetClientRect(m_window, &client);
    const RECT inSheet = ClientRectOf(m_window, item.hwndItem);
    ::FillRect(item.hDC, &area, BackgroundBrush());
    m_topImage.DrawStretched(item.hDC, -inSheet.left, -inSheet.top, client.right - client.left, kHeaderHeight);
    wchar_t text[512] = {};
    ::GetWindowTextW(item.hwndItem, text, 512);
    HGDIOBJ oldFont = ::SelectObject(item.hDC, m_titleFont.Get());
    ::SetBkMode(item.hDC, TRANSPARENT);
    // White on the header strip; a package without one gets dark text on the plain background.
    ::SetTextColor(item.hDC, m_topImage.Empty() ? RGB(32, 32, 32) : RGB(255, 255, 255));
    ::DrawTextW(item.hDC, text, -1, &area, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    ::SelectObject(item.hDC, oldFont);
}

// ---- Keyboard

bool COrloSheet::PreTranslateMessage(MSG& message)
{
    if (message.message != WM_KEYDOWN || m_window == nullptr || !m_ready ||
        (message.hwnd != m_window && !::IsChild(m_window, message.hwnd))) {
        return false;
    }
    if (CWizardPage* page = ActivePage(); page != nullptr && page->PreTranslateKey(message)) {
        return true;
    }
    const HWND focus = ::GetFocus();
    switch (message.wParam) {
    case VK_ESCAPE:
        if (IsActive(WizardPage::Finish)) {
            OnButtonClicked(kFinishButtonId);
        } else {
            OnCancelCommand();
        }
        return true;
    case VK_TAB:
        return HandleTab((::GetKeyState(VK_SHIFT) & 0x8000) != 0);
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
        if (COrloButton::FromWindow(focus) != nullptr && ::GetParent(focus) == m_window) {
            return HandleArrow(message.wParam == VK_LEFT || message.wParam == VK_UP);
        }
        return false;
    case VK_RETURN:
        return HandleEnterOrSpace(focus);
    case VK_SPACE: {
        const int id = focus != nullptr ? ::GetDlgCtrlID(focus) : 0;
        if (COrloButton::FromWindow(focus) != nullptr || id == kBackButtonId || id == kNextButtonId) {
            return HandleEnterOrSpace(focus);
        }
        return false;
    }
    default:
        return false;
    }
}

bool COrloSheet::HandleTab(bool backwards)
{
    const HWND next = ::GetNextDlgTabItem(m_window, ::GetFocus(), backwards ? TRUE : FALSE);
    if (COrloButton* button = COrloButton::FromWindow(next)) {
        ::SetFocus(next);
        if (::GetParent(next) == m_window) {
            GiveFocusLook(button, false);
        } else {
            // A page's own button (Browse): it takes the look and the default role.
            GiveFocusLook(nullptr, false);
            button->FocusedLook();
            SetDefaultButton(button->Id());
        }
        return true;
    }
    FocusNextButton(false);
    return false;
}

bool COrloSheet::HandleArrow(bool backwards)
{
    std::vector<COrloButton*> usable;
    for (COrloButton* button : {m_backButton.get(), m_nextButton.get(), m_cancelButton.get(), m_finishButton.get()}) {
        if (button != nullptr && ::IsWindowVisible(button->Window()) && button->EnabledState()) {
            usable.push_back(button);
        }
    }
    if (usable.empty()) {
        return true;
    }
    const HWND focus = ::GetFocus();
    auto current = std::find_if(usable.begin(), usable.end(), [focus](COrloButton* b) { return b->Window() == focus; });
    size_t index = current == usable.end() ? 0 : static_cast<size_t>(current - usable.begin());
    index = backwards ? (index + usable.size() - 1) % usable.size() : (index + 1) % usable.size();
    GiveFocusLook(usable[index], true);
    return true;
}

bool COrloSheet::HandleEnterOrSpace(HWND focus)
{
    COrloButton* button = COrloButton::FromWindow(focus);
    const int id = focus != nullptr ? ::GetDlgCtrlID(focus) : 0;
    const auto pressNext = [this] {
        const bool nextUsable = m_nextButton->EnabledState() && ::IsWindowVisible(m_nextButton->Window());
        OnButtonClicked(nextUsable ? kNextButtonId : kCancelButtonId);
    };
    if (IsActive(WizardPage::Finish)) {
        OnButtonClicked(kFinishButtonId);
    } else if (IsActive(WizardPage::Welcome) && (id == kBackButtonId || id == kNextButtonId)) {
        pressNext();
    } else if (button != nullptr) {
        button->Click();
    } else {
        pressNext();
    }
    return true;
}
