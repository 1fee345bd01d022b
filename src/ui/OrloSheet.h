#pragma once
// COrloSheet: the wizard. A wizard-style property sheet with up to eight pages in a fixed order,
// its own header and footer painting, four COrloButton navigation buttons in place of the
// platform's, the cancel question, the system menu and the keyboard rules of the wizard. It runs
// modally on the main thread until the user finishes it.
#include <windows.h>

#include <prsht.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/AutoLaunchSilentPage.h"
#include "ui/ConditionCheckPage.h"
#include "ui/DirChangePage.h"
#include "ui/ExtractorPage.h"
#include "ui/FinishPage.h"
#include "ui/GdiplusImage.h"
#include "ui/LanguagePage.h"
#include "ui/LicensePage.h"
#include "ui/OrloButton.h"
#include "ui/WelcomePage.h"
#include "ui/WizardTypes.h"
#include "util/Handles.h"

// Results of ConfirmCancel.
constexpr int kCancelConfirmed = 0;            // the caller shows the finish page
constexpr int kCancelNotAsked = 1000;          // the finish page is active: nothing to cancel
constexpr int kCancelFromLaunchPage = 1001;    // the launch page handles it
constexpr int kCancelDeclined = -1;

class COrloSheet {
public:
    explicit COrloSheet(const WizardContext& context);
    ~COrloSheet();
    COrloSheet(const COrloSheet&) = delete;
    COrloSheet& operator=(const COrloSheet&) = delete;

    // Building: pages in the order they are added; a page not added is never shown.
    void AddPage(WizardPage kind);
    // Before the sheet runs, or while it runs (the page leaves the running wizard for good).
    void RemovePage(WizardPage kind);
    bool HasPage(WizardPage kind) const;
    // Shows the wizard and runs it until it ends.
    void DoModal();

    // ---- Operations of the pages. Lists are comma-separated "BACK", "NEXT", "CANCEL", "FINISH".
    void ShowButtons(const std::wstring& list, int showCommand);
    void EnableButtons(const std::wstring& list, bool enable);
    void SetButtonTexts(const std::wstring& mode);
    void SetFirstPageButtons(bool isStartPage, bool keepDisabled);
    void FocusBackButton();
    void FocusNextButton(bool setFocus);
    void FocusCancelButton();
    void FocusFinishButton();
    void EnableCloseCommand(int command);  // 0 greys Close out, 5 enables it again
    int ConfirmCancel();
    void ActivatePage(WizardPage kind);
    // Ends the wizard at once (a launch that needs nothing more from it).
    void EndWizard();
    // Takes a page out of the running wizard once the current page change is over.
    void RemovePageLater(WizardPage kind);
    // The worker extracted the package: on to the launch page, the finish page, or the launch.
    void OnExtractionDone();
    // The launch step with this sheet; -1, 10 (done or refused: the wizard may close) or the
    // launcher's result.
    int HandleLaunchSetup();
    bool QuestionOpen() const { return m_questionOpen; }

    bool IsActive(WizardPage kind) const;
    bool IsStartPage(WizardPage kind) const;
    int PageIndex(WizardPage kind) const;  // position in the running wizard, -1 when absent
    CWizardPage* Page(WizardPage kind);
    CWizardPage* ActivePage();

    bool Ready() const { return m_ready; }
    HWND Window() const { return m_window; }
    const WizardContext& Context() const { return m_context; }
    HBRUSH BackgroundBrush() const { return static_cast<HBRUSH>(m_backgroundBrush.Get()); }
    const GdiplusImage& TopImage() const { return m_topImage; }
    HFONT TitleFont() const { return static_cast<HFONT>(m_titleFont.Get()); }
    HFONT TextFont() const { return static_cast<HFONT>(m_textFont.Get()); }
    COrloButton* Button(int id);
    HWND HeaderTitle() const { return m_title; }

    // State of the run that several pages read.
    int finishAfterLaunch = 1;          // cleared when the single setup waits for the Finish button
    int extractOnly = 0;                // the location page's "extract only" box
    bool passwordAccepted = false;      // the extraction password was given in this run
    int requirementsPassedOnRetry = 0;  // the requirements page passed on Retry as the start page

    // Called by the page dialog procedure when a page becomes the active one.
    void OnPageActivated(CWizardPage& page);

private:
    static int CALLBACK SheetCallback(HWND window, UINT message, LPARAM lParam) noexcept;
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self) noexcept;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void InitialiseSheet();
    void CreateHeaderTitle();
    void CreateNavigationButtons();
    void HidePlatformControls();
    void Paint(HDC dc);
    void DrawHeaderTitle(const DRAWITEMSTRUCT& item);
    void OnButtonClicked(int id);
    void OnCloseRequest();
    void OnCancelCommand();
    bool PreTranslateMessage(MSG& message);
    bool HandleTab(bool backwards);
    bool HandleArrow(bool backwards);
    bool HandleEnterOrSpace(HWND focus);
    void SetDefaultButton(int id);
    void GiveFocusLook(COrloButton* focused, bool setFocus);
    void CancelledOnPage(WizardPage kind);
    std::vector<COrloButton*> ButtonsInList(const std::wstring& list);
    HPROPSHEETPAGE CreatePageHandle(WizardPage kind);

    WizardContext m_context;
    // The pages, by value.
    CLanguagePage m_languagePage;
    CLicensePage m_licensePage;
    CExtractorPage m_extractorPage;
    CAutoLaunchSilentPage m_autoLaunchPage;
    CDirChangePage m_dirChangePage;
    CFinishPage m_finishPage;
    CConditionCheck m_conditionPage;
    CWelcomePage m_welcomePage;

    std::vector<WizardPage> m_order;  // pages of the running wizard, in order
    UniqueGdiObject m_backgroundBrush;
    UniqueGdiObject m_titleFont;
    UniqueGdiObject m_textFont;
    HWND m_title = nullptr;  // header title (setup type Classic only)
    int m_ready = 0;
    int m_closeEnabled = 1;
    WizardPage m_startPage = WizardPage::Welcome;
    WizardPage m_activePage = WizardPage::Welcome;
    bool m_hasActivePage = false;
    GdiplusImage m_topImage;
    GdiplusImage m_bottomImage;
    COLORREF m_buttonBackground = RGB(255, 255, 255);
    RECT m_pageRect{};
    int m_footerTop = 0;
    int m_footerHeight = 0;
    std::unique_ptr<COrloButton> m_cancelButton;
    std::unique_ptr<COrloButton> m_nextButton;
    std::unique_ptr<COrloButton> m_backButton;
    std::unique_ptr<COrloButton> m_finishButton;
    HWND m_window = nullptr;
    bool m_ended = false;
    bool m_questionOpen = false;
};

// The sheet's dialog template with its font replaced (the CJK rule of the sheet's creation).
// `templateBytes` is a DLGTEMPLATE or DLGTEMPLATEEX with DS_SETFONT; false when it cannot be
// rewritten (no font, malformed, or the result would not fit in `capacity` bytes).
bool ReplaceDialogTemplateFont(std::vector<BYTE>& templateBytes, const std::wstring& face, WORD pointSize,
                               size_t capacity);
// The same on the platform's template buffer: the template is read no further than its own end and
// rewritten only when the result is not larger.
bool ReplaceDialogTemplateFontInPlace(BYTE* templateBytes, const std::wstring& face, WORD pointSize);
// True for the user-interface languages that get "Arial" 8 in the sheet.
bool UsesArialSheetFont(int userInterfaceLanguage);
