#include "ui/LicensePage.h"

#include <richedit.h>

#include <algorithm>

#include "log/BuildLogFile.h"
#include "resources/ImageIds.h"
#include "settings/Messages.h"
#include "settings/OrloInitalizer.h"
#include "ui/OrloSheet.h"
#include "ui/WizardFlow.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "validation/ExtractorValidator.h"

namespace {
constexpr int kHeading = 1056;
constexpr int kDocumentList = 1059;
constexpr int kDocumentName = 1060;
constexpr int kDocumentView = 1039;
constexpr int kLicenseBox = 1020;
constexpr int kSecurityBox = 1021;
constexpr int kIconSize = 14;
constexpr int kImageNotAccepted = 0;
constexpr int kImageAccepted = 1;
constexpr int kLicenseKind = 1;
constexpr int kSecurityKind = 2;
constexpr const wchar_t* kLicenseLog = L"Licesne";

// Languages whose item texts come from the loaded message table; others read their language file.
constexpr int kTableLanguages[] = {1031, 1033, 1034, 1036, 1040, 3082};

DWORD CALLBACK StreamFromFile(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got) noexcept
{
    DWORD read = 0;
    if (!::ReadFile(reinterpret_cast<HANDLE>(cookie), buffer, static_cast<DWORD>(wanted), &read, nullptr)) {
        *got = 0;
        return 1;
    }
    *got = static_cast<LONG>(read);
    return 0;
}

CHARFORMAT2W DefaultCharFormat()
{
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_CHARSET;
    format.yHeight = 180; // twips: 9 points
    format.crTextColor = RGB(0, 0, 0);
    format.bCharSet = DEFAULT_CHARSET;
    ::lstrcpynW(format.szFaceName, L"Tahoma", LF_FACESIZE);
    return format;
}

// A UTF-16 text file split at its line feeds; false when it could not be read.
bool ReadUtf16Lines(const std::wstring& path, std::vector<std::wstring>& lines, DWORD& error)
{
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = ::GetLastError();
        return false;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart > 16 * 1024 * 1024) {
        error = ::GetLastError() != 0 ? ::GetLastError() : ERROR_FILE_TOO_LARGE;
        return false;
    }
    std::wstring text(static_cast<size_t>(size.QuadPart) / sizeof(wchar_t), L'\0');
    DWORD read = 0;
    const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (bytes > 0 && !::ReadFile(file.Get(), text.data(), bytes, &read, nullptr)) {
        error = ::GetLastError();
        return false;
    }
    text.resize(read / sizeof(wchar_t));
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find(L'\n', start);
        lines.push_back(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end + 1 - start));
        if (end == std::wstring::npos) {
            break;
        }
        start = end + 1;
    }
    return true;
}
} // namespace

std::wstring FindIdLine(const std::vector<std::wstring>& lines, int messageId)
{
    const std::wstring id = std::to_wstring(messageId);
    for (const std::wstring& line : lines) {
        // "3041=" is not message 304.
        if (line.compare(0, id.size(), id) != 0 || (line.size() > id.size() && iswdigit(line[id.size()]))) {
            continue;
        }
        std::wstring text = TrimW(line.substr(id.size()));
        if (!text.empty() && text[0] == L'=') {
            text.erase(0, 1);
        }
        return TrimW(text); // a list item cannot show the line end
    }
    return {};
}

CLicensePage::CLicensePage(COrloSheet& sheet)
    : CWizardPage(sheet, WizardPage::License, kLicenseTemplate), m_richEdit(::LoadLibraryW(L"riched20.dll"))
{
}

CLicensePage::~CLicensePage()
{
    if (m_images != nullptr) {
        ImageList_Destroy(m_images);
    }
}

bool CLicensePage::IsStartPage() const
{
    return m_sheet.IsStartPage(Kind()) || (m_sheet.requirementsPassedOnRetry != 0 && m_sheet.PageIndex(Kind()) == 1);
}

void CLicensePage::OnInitDialog()
{
    const bool startPage = IsStartPage();
    m_sheet.SetFirstPageButtons(startPage, true);
    HWND view = Item(kDocumentView);
    CHARFORMAT2W format = DefaultCharFormat();
    ::SendMessageW(view, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    ClearView();
    BuildList();
    SetItemFont(kHeading, m_sheet.TitleFont());
    for (int id : {kDocumentName, kLicenseBox, kSecurityBox}) {
        SetItemFont(id, m_sheet.TextFont());
    }
    m_sheet.SetButtonTexts(L"");
    m_sheet.EnableButtons(L"NEXT", false);
    m_sheet.FocusCancelButton();
    OnSetActive();
    if (startPage) {
        AskPasswordIfRequired(m_sheet); // a cancelled prompt has already moved to the finish page
    }
}

void CLicensePage::BuildList()
{
    HWND list = Item(kDocumentList);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    if (ListView_GetItemCount(list) == 0 && Header_GetItemCount(ListView_GetHeader(list)) == 0) {
        RECT client{};
        ::GetClientRect(list, &client);
        std::wstring caption = L"Item Name";
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = client.right - client.left;
        column.pszText = caption.data();
        ListView_InsertColumn(list, 0, &column);
    }
    if (m_images == nullptr) {
        m_images = ImageList_Create(kIconSize, kIconSize, ILC_COLOR24 | ILC_MASK, 2, 0);
        for (int id : {IDB_ITEM_NOT_ACCEPTED, IDB_ITEM_ACCEPTED}) {
            UniqueGdiObject bitmap(
                ::LoadImageW(m_sheet.Context().instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
            ImageList_AddMasked(m_images, static_cast<HBITMAP>(bitmap.Get()), IMAGE_MASK_COLOUR);
        }
    }
    // The template gives the list LVS_SHAREIMAGELISTS: the image list is this page's to destroy.
    ListView_SetImageList(list, m_images, LVSIL_SMALL);
}

void CLicensePage::OnSetActive()
{
    m_sheet.SetButtonTexts(L"");
    // Back may have been hidden by the page before (the welcome page hides it).
    m_sheet.SetFirstPageButtons(IsStartPage(), true);
    SetItemText(kLicenseBox, GetMessage(302));
    SetItemText(kSecurityBox, GetMessage(303));
    SetItemText(kHeading, GetMessage(300));
    SetItemText(kDocumentName, GetMessage(304));

    const int language = Settings().GetLanguage();
    const std::wstring& folder = Settings().GetOrloTempDir();
    m_licenseFile = Validator().CheckLicenseFiles(language, folder, kLicenseKind);
    m_securityFile = Validator().CheckLicenseFiles(language, folder, kSecurityKind);
    m_licenseItem = -1;
    m_securityItem = -1;
    FillList();

    ClearView();
    if (!m_shownFile.empty()) {
        LoadDocument(m_shownFile);
    }
    m_sheet.EnableButtons(L"NEXT", false);
    ReevaluateNext();
}

void CLicensePage::FillList()
{
    HWND list = Item(kDocumentList);
    m_filling = true;
    ListView_DeleteAllItems(list);
    m_shownFile.clear();
    if (!m_licenseFile.empty()) {
        m_licenseItem = 0;
        m_shownFile = m_licenseFile;
        ShowItem(kLicenseBox, true);
        InsertItem(0, 304, IsChecked(kLicenseBox));
    } else {
        ShowItem(kLicenseBox, false);
    }
    if (!m_securityFile.empty()) {
        if (m_shownFile.empty()) {
            m_shownFile = m_securityFile;
        }
        m_securityItem = m_licenseItem == 0 ? 1 : 0;
        ShowItem(kSecurityBox, true);
        InsertItem(m_securityItem, 305, IsChecked(kSecurityBox));
    } else {
        ShowItem(kSecurityBox, false);
    }
    // The label names the document in the view, whichever of the two that is.
    SetItemText(kDocumentName, m_shownFile.empty() ? std::wstring() : GetMessage(m_licenseItem == 0 ? 304 : 305));
    if (ListView_GetItemCount(list) > 0) {
        ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_SetSelectionMark(list, 0);
    }
    m_filling = false;
    ::RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

int CLicensePage::InsertItem(int index, int messageId, bool accepted)
{
    std::wstring text = ItemText(messageId);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = index;
    item.pszText = text.data();
    item.iImage = accepted ? kImageAccepted : kImageNotAccepted;
    return ListView_InsertItem(Item(kDocumentList), &item);
}

void CLicensePage::SetItemImage(int index, bool accepted)
{
    if (index < 0) {
        return;
    }
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    item.iImage = accepted ? kImageAccepted : kImageNotAccepted;
    ListView_SetItem(Item(kDocumentList), &item);
}

std::wstring CLicensePage::ItemText(int messageId) const
{
    const int language = Settings().GetLanguage();
    if (std::find(std::begin(kTableLanguages), std::end(kTableLanguages), language) != std::end(kTableLanguages)) {
        return GetMessage(messageId);
    }
    const std::wstring path = LanguageFilePath(language, Settings().GetOrloTempDir());
    if (!CUtil::FileExists(path)) {
        Log().WriteLine(kLogDetail, kLicenseLog, L"Licesne string not found");
        return GetMessage(messageId);
    }
    std::vector<std::wstring> lines;
    DWORD error = 0;
    if (!ReadUtf16Lines(path, lines, error)) {
        Log().WriteLine(kLogWarning, kLicenseLog, L"%ls", CUtil::FormatErrorText(error).c_str());
        return GetMessage(messageId);
    }
    const std::wstring text = FindIdLine(lines, messageId);
    return text.empty() ? GetMessage(messageId) : text;
}

bool CLicensePage::OnNotify(const NMHDR& header, LRESULT& result)
{
    if (header.idFrom != kDocumentList || header.code != LVN_ITEMCHANGED || m_filling) {
        return false;
    }
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if ((change.uChanged & LVIF_STATE) != 0 && (change.uNewState & LVIS_SELECTED) != 0 &&
        (change.uOldState & LVIS_SELECTED) == 0) {
        OnItemSelected(change.iItem);
    }
    result = 0;
    return true;
}

void CLicensePage::OnItemSelected(int index)
{
    if (index == m_licenseItem) {
        SetItemText(kDocumentName, GetMessage(304));
        m_shownFile = m_licenseFile;
    } else if (index == m_securityItem) {
        SetItemText(kDocumentName, GetMessage(305));
        m_shownFile = m_securityFile;
    }
    ClearView();
    if (!m_shownFile.empty()) {
        LoadDocument(m_shownFile);
    }
    // Next stays in view; on the start page so does the absence of Back.
    const bool startPage = IsStartPage();
    m_sheet.ShowButtons(startPage ? L"BACK" : L"NEXT", startPage ? SW_HIDE : SW_SHOW);
    ::SendMessageW(Item(kDocumentView), WM_VSCROLL, SB_TOP, 0);
    RECT area{};
    ::GetWindowRect(Item(kDocumentList), &area);
    ::MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT*>(&area), 2);
    ::InvalidateRect(m_window, &area, TRUE);
}

bool CLicensePage::OnCommand(WORD id, WORD code, HWND /*control*/)
{
    if (code != BN_CLICKED || (id != kLicenseBox && id != kSecurityBox)) {
        return false;
    }
    OnBoxClicked(id);
    return true;
}

void CLicensePage::OnBoxClicked(int boxId)
{
    const bool license = boxId == kLicenseBox;
    const int item = license ? m_licenseItem : m_securityItem;
    if (IsChecked(boxId)) {
        SetItemImage(item, true);
        if (license) {
            Log().WriteLine(kLogInfo, L"License Agreement", L"User has accepted the license agreement");
        } else {
            Log().WriteLine(kLogInfo, L"Security License Agreement",
                            L"User has accepted the lSecurity icense agreement");
        }
        ReevaluateNext();
        return;
    }
    SetItemImage(item, false);
    m_sheet.SetFirstPageButtons(IsStartPage(), true);
    m_sheet.EnableButtons(L"NEXT", false);
    m_sheet.FocusCancelButton();
}

void CLicensePage::ReevaluateNext()
{
    const bool licenseAccepted = m_licenseItem < 0 || (!m_licenseFile.empty() && IsChecked(kLicenseBox));
    const bool securityAccepted = m_securityItem < 0 || (!m_securityFile.empty() && IsChecked(kSecurityBox));
    if (licenseAccepted && securityAccepted) {
        m_sheet.EnableButtons(L"NEXT,CANCEL", true);
        m_sheet.FocusNextButton(true);
    } else {
        m_sheet.FocusCancelButton();
        m_sheet.EnableButtons(L"NEXT", false);
    }
}

void CLicensePage::ClearView()
{
    ::SetWindowTextW(Item(kDocumentView), L"");
}

void CLicensePage::LoadDocument(const std::wstring& path)
{
    const std::wstring extension = path.size() >= 3 ? path.substr(path.size() - 3) : std::wstring();
    const bool rtf = EqualsNoCase(extension, L"rtf");
    if (!rtf && !EqualsNoCase(extension, L"txt")) {
        return; // the box still has to be ticked
    }
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        Log().WriteLine(kLogWarning, L"LoadDocument", L"%ls : %ls", path.c_str(),
                        CUtil::FormatErrorText(error).c_str());
        return;
    }
    HWND view = Item(kDocumentView);
    if (!rtf) {
        CHARFORMAT2W format = DefaultCharFormat();
        ::SendMessageW(view, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    }
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(file.Get());
    stream.pfnCallback = StreamFromFile;
    ::SendMessageW(view, EM_STREAMIN, rtf ? SF_RTF : SF_TEXT, reinterpret_cast<LPARAM>(&stream));
}
