#include "ui/DirChangePage.h"

#include <shlobj.h>

#include "log/BuildLogFile.h"
#include "settings/Messages.h"
#include "settings/OrloInitalizer.h"
#include "ui/OrloSheet.h"
#include "ui/WizardFlow.h"
#include "ui/WizardMessages.h"
#include "util/FileLinks.h"
#include "util/PathIdentity.h"
#include "util/ProcessContext.h"
#include "util/Profile.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "validation/ExtractorValidator.h"

namespace {
constexpr int kPathEdit = 1000;
constexpr int kBrowseButton = 1001;
constexpr int kDescription = 1003;
constexpr int kFolderLabel = 1004;
constexpr int kOverwriteBox = 1023;
constexpr int kExtractOnlyBox = 1036;
constexpr int kDeleteOnExitBox = 1043;
constexpr int kLaunchInfo = 1044;
constexpr int kBrowseWidth = 120;
constexpr int kBrowseHeight = 30;
constexpr int kBrowseGap = 6;
constexpr const wchar_t* kNextFunction = L"DirChangePage::OnWizardNext";
constexpr const wchar_t* kSetUpFunction = L"CDirChangePage::SetUpControls";
constexpr const wchar_t* kExtractOnlyFunction = L"CDirChangePage::OnExtractOnly";
constexpr const wchar_t* kDeleteOnExitFunction = L"CDirChangePage::OnDeleteOnExit";

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
} // namespace

bool OffersDeleteOnExit(const std::wstring& kamBundle, int waitForAutolaunchFinish, const std::wstring& rahmenSetup)
{
    return (kamBundle != L"0" || waitForAutolaunchFinish == 1) && rahmenSetup != L"1";
}

std::wstring ResolveFolderLinks(const std::wstring& path)
{
    std::wstring full = FullPathName(TrimW(path));
    while (full.size() > 3 && full.back() == L'\\') {
        full.pop_back();
    }
    if (full.empty()) {
        return path;
    }
    // The deepest folder of the path that exists, and whether a link lies on the way to it.
    std::wstring existing = full;
    while (!IsFolder(existing)) {
        const size_t slash = existing.rfind(L'\\');
        if (slash == std::wstring::npos || slash < 2) {
            return path;
        }
        existing.resize(slash);
    }
    bool linked = false;
    for (std::wstring folder = existing; !linked;) {
        linked = IsLink(folder);
        const size_t slash = folder.rfind(L'\\');
        if (slash == std::wstring::npos || slash < 3) {
            break;
        }
        folder.resize(slash);
    }
    if (!linked) {
        return path;
    }
    const std::wstring target = FinalPathName(existing);
    if (target.empty()) {
        return path;
    }
    std::wstring resolved = target + full.substr(existing.size());
    if (!path.empty() && path.back() == L'\\' && resolved.back() != L'\\') {
        resolved += L'\\';
    }
    return resolved;
}

CDirChangePage::CDirChangePage(COrloSheet& sheet) : CWizardPage(sheet, WizardPage::Location, kLocationTemplate) {}

bool CDirChangePage::IsStartPage() const
{
    return m_sheet.IsStartPage(Kind()) || (m_sheet.requirementsPassedOnRetry != 0 && m_sheet.PageIndex(Kind()) == 1);
}

void CDirChangePage::OnInitDialog()
{
    const bool startPage = IsStartPage();
    m_sheet.SetFirstPageButtons(startPage, false);
    if (m_chosenPath.empty()) {
        m_chosenPath = Settings().GetExtractionPath();
    }
    SetItemFont(kDescription, m_sheet.TitleFont());
    for (int id : {kFolderLabel, kLaunchInfo, kPathEdit, kOverwriteBox, kExtractOnlyBox, kDeleteOnExitBox}) {
        SetItemFont(id, m_sheet.TextFont());
    }
    SetChecked(kExtractOnlyBox, false);
    m_sheet.extractOnly = 0;
    CreateBrowseButton();
    SetUpControls();
    m_sheet.FocusNextButton(true);
    if (startPage) {
        AskPasswordIfRequired(m_sheet); // a cancelled prompt has already moved to the finish page
    }
}

void CDirChangePage::CreateBrowseButton()
{
    if (m_browse) {
        return;
    }
    // Right of the path edit, centred on it.
    RECT edit{};
    ::GetWindowRect(Item(kPathEdit), &edit);
    ::MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT*>(&edit), 2);
    const int top = (edit.top + edit.bottom) / 2 - kBrowseHeight / 2;
    const RECT area{edit.right + kBrowseGap, top, edit.right + kBrowseGap + kBrowseWidth, top + kBrowseHeight};
    m_browse = std::make_unique<COrloButton>(GetMessage(403), m_window);
    m_browse->Create(m_window, kBrowseButton, area);
    m_browse->SetBackgroundColour(kWizardBackground);
    // Tab goes from the path edit to its button.
    ::SetWindowPos(m_browse->Window(), Item(kPathEdit), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::ShowWindow(m_browse->Window(), SW_SHOW);
    m_browse->NormalLook();
}

void CDirChangePage::OnSetActive()
{
    SetUpControls();
    if (m_browse) {
        // Coming back after a successful Next brings Browse back with the path.
        m_browse->SetEnabledState(true);
        ::ShowWindow(m_browse->Window(), SW_SHOW);
    }
    m_sheet.SetButtonTexts(L"");
    m_sheet.SetFirstPageButtons(IsStartPage(), false);
    m_sheet.FocusNextButton(true);
}

void CDirChangePage::SetUpControls()
{
    COrloInitalizer& settings = Settings();
    const std::wstring launchInfo = ReplaceAll(GetMessage(417), L"[PRODUCTNAME]", settings.GetDisplayName());
    if (settings.GetAutolaunch() == 1) {
        Log().WriteLine(kLogInfo, kSetUpFunction, L"Autolaunch is enabled");
        ShowItem(kExtractOnlyBox, true);
        ShowItem(kLaunchInfo, true);
        SetItemText(kLaunchInfo, launchInfo);
        settings.SetAutolaunch(IsChecked(kExtractOnlyBox) ? 0 : 1);
    } else {
        ShowItem(kDeleteOnExitBox, false);
        SetItemText(kLaunchInfo, launchInfo);
        Log().WriteLine(kLogInfo, kSetUpFunction, L"Autolaunch is disabled");
    }
    const std::wstring& properties = settings.GetPropertiesPath();
    const std::wstring kamBundle = ReadProfileString(properties, L"Orlo", L"KamBundle");
    const std::wstring rahmenSetup = ReadProfileString(properties, L"Orlo", L"Rahmensetup");
    if (!OffersDeleteOnExit(kamBundle, settings.GetWaitForAutolaunchFinish(), rahmenSetup)) {
        Log().WriteLine(kLogInfo, kSetUpFunction,
                        L"Asynchronous mode/RahmenSetup and delete on finish option will not be shown");
        ShowItem(kDeleteOnExitBox, false);
    }
    SetItemText(kDescription, GetMessage(400));
    SetItemText(kExtractOnlyBox, GetMessage(416));
    SetItemText(kDeleteOnExitBox, GetMessage(423));

    const std::wstring expanded = CUtil::ExpandPercentPath(m_chosenPath);
    if (!expanded.empty()) {
        m_chosenPath = expanded;
    }
    ::SetDlgItemTextW(m_window, kPathEdit, m_chosenPath.c_str());

    if (m_browse) {
        m_browse->SetCaption(GetMessage(403));
    }
    SetItemText(kFolderLabel, GetMessage(401));
    SetItemText(kOverwriteBox, GetMessage(402));
}

bool CDirChangePage::OnCommand(WORD id, WORD code, HWND /*control*/)
{
    switch (id) {
    case kPathEdit:
        if (code == EN_CHANGE) {
            m_chosenPath = EditText();
        }
        return true;
    case kExtractOnlyBox:
        if (code == BN_CLICKED) {
            OnExtractOnlyClicked();
        }
        return true;
    case kDeleteOnExitBox:
        if (code == BN_CLICKED) {
            OnDeleteOnExitClicked();
        }
        return true;
    case kBrowseButton:
        // Enter while Browse holds the default role arrives as its command.
        if (code == BN_CLICKED) {
            Browse();
        }
        return true;
    default:
        return false;
    }
}

bool CDirChangePage::OnMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/, LRESULT& result)
{
    if (message != UM_BUTTON_CLICKED || wParam != kBrowseButton) {
        return false;
    }
    Browse();
    result = 0;
    return true;
}

void CDirChangePage::OnExtractOnlyClicked()
{
    COrloInitalizer& settings = Settings();
    if (IsChecked(kExtractOnlyBox)) {
        m_sheet.extractOnly = 1;
        settings.SetAutolaunch(0);
        SetChecked(kDeleteOnExitBox, false);
        ShowItem(kDeleteOnExitBox, false);
        Flags().DeleteOnExit = 0;
        Log().WriteLine(kLogInfo, kExtractOnlyFunction,
                        L"Extract the package and donot install option is checked.Enabling the controls for extract "
                        L"path change");
        Log().WriteLine(kLogInfo, kExtractOnlyFunction, L"Autolaunch is disabled by user");
        return;
    }
    const std::wstring& properties = settings.GetPropertiesPath();
    const std::wstring kamBundle = ReadProfileString(properties, L"Orlo", L"KamBundle");
    const std::wstring rahmenSetup = ReadProfileString(properties, L"Orlo", L"Rahmensetup", L"0");
    if (OffersDeleteOnExit(kamBundle, settings.GetWaitForAutolaunchFinish(), rahmenSetup)) {
        ShowItem(kDeleteOnExitBox, true);
    }
    m_sheet.extractOnly = 0;
    settings.SetAutolaunch(1);
    Log().WriteLine(kLogInfo, kExtractOnlyFunction,
                    L"Extract the package and donot install option is unchecked.Disabling the controls for extract "
                    L"path change");
    Log().WriteLine(kLogInfo, kExtractOnlyFunction, L"Autolaunch is enabled");
}

void CDirChangePage::OnDeleteOnExitClicked()
{
    if (IsChecked(kDeleteOnExitBox)) {
        Flags().DeleteOnExit = 1;
        Log().WriteLine(kLogInfo, kDeleteOnExitFunction, L"Delete extracted file on delete is enabled by user");
    } else {
        Flags().DeleteOnExit = 0;
        Log().WriteLine(kLogInfo, kDeleteOnExitFunction, L"Delete extracted file on delete is not enabled by user");
    }
}

std::wstring CDirChangePage::EditText() const
{
    HWND edit = Item(kPathEdit);
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    return text;
}

int CALLBACK CDirChangePage::BrowseCallback(HWND window, UINT message, LPARAM /*lParam*/, LPARAM data) noexcept
{
    if (message != BFFM_INITIALIZED) {
        return 0;
    }
    try {
        const std::pair<int, int> texts[] = {{0, 501}, {IDOK, 405}, {IDCANCEL, 406}};
        for (const auto& [id, messageId] : texts) {
            const std::wstring text = GetMessage(messageId);
            if (text.empty()) {
                continue;
            }
            if (id == 0) {
                ::SetWindowTextW(window, text.c_str());
            } else {
                ::SetDlgItemTextW(window, id, text.c_str());
            }
        }
        // Open where the edit points, when that folder exists.
        const auto* self = reinterpret_cast<const CDirChangePage*>(data);
        const std::wstring expanded = CUtil::ExpandPercentPath(self->m_chosenPath);
        const std::wstring current = expanded.empty() ? self->m_chosenPath : expanded;
        if (IsFolder(current)) {
            ::SendMessageW(window, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(current.c_str()));
        }
    } catch (...) {
    }
    return 0;
}

void CDirChangePage::Browse()
{
    const std::wstring title = GetMessage(502);
    BROWSEINFOW info{};
    info.hwndOwner = m_window;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_VALIDATE;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(this);
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&info);
    if (chosen == nullptr) {
        return; // cancelled
    }
    wchar_t path[MAX_PATH] = {};
    if (::SHGetPathFromIDListW(chosen, path) && path[0] != L'\0') {
        m_chosenPath = path;
        ::SetDlgItemTextW(m_window, kPathEdit, m_chosenPath.c_str());
    }
    ::CoTaskMemFree(chosen);
}

LRESULT CDirChangePage::OnWizardNext()
{
    COrloInitalizer& settings = Settings();
    std::wstring path = EditText();
    const bool overwrite = IsChecked(kOverwriteBox);
    settings.SetOverwriteWithoutPrompting(overwrite ? 1 : 0);
    Log().WriteLine(kLogInfo, kNextFunction,
                    overwrite ? L"Overwrite check box is checked" : L"Overwrite check box is unchecked");
    const uint64_t requiredSpace =
        settings.GetRequiredSpace(path, settings.GetOrloTempDir(), settings.GetMultiPartDownload());
    const std::wstring expanded = CUtil::ExpandPercentPath(path);
    if (!expanded.empty()) {
        path = expanded;
    }
    // A link is checked, and extracted into, where it leads: its own folder says nothing about
    // the space or the permissions there.
    const std::wstring resolved = ResolveFolderLinks(path);
    if (resolved != path) {
        Log().WriteLine(kLogInfo, kNextFunction, L"The folder %ls is a link to %ls", path.c_str(), resolved.c_str());
        path = resolved;
    }
    if (Validator().ValidatePathAndSpaceAvailable(path, 1, requiredSpace) != 0) {
        return -1;
    }
    settings.SetExtractionPath(path);
    if (m_browse) {
        ::ShowWindow(m_browse->Window(), SW_HIDE);
        m_browse->SetEnabledState(false);
    }
    return 0;
}

void CDirChangePage::SetNextDefault()
{
    if (m_browse) {
        m_browse->NormalLook();
    }
    ::SendMessageW(m_window, DM_SETDEFID, kNextButtonId, 0);
}

bool CDirChangePage::PreTranslateKey(const MSG& message)
{
    if (message.message != WM_KEYDOWN || !m_browse) {
        return false;
    }
    if (message.wParam == VK_TAB || message.wParam == VK_RETURN) {
        SetNextDefault();
    }
    // Tab takes the focus away from Browse: the sheet gives the look to where it goes.
    if (::GetFocus() == m_browse->Window() && message.wParam != VK_TAB) {
        m_browse->FocusedLook();
        ::SendMessageW(m_window, DM_SETDEFID, kBrowseButton, 0);
    }
    return false;
}
