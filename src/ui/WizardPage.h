#pragma once
// CWizardPage: what every page of the wizard shares. A page is a dialog template shown by the
// sheet; this class turns the sheet's notifications into the
// handlers below, paints the page background with the header strip, and sets fitted label texts.
#include <windows.h>

#include "ui/DialogBinding.h"

#include <prsht.h>

#include <string>

#include "ui/TextFit.h"
#include "ui/WizardTypes.h"

class COrloSheet;

class CWizardPage : public CDialogBinding {
public:
    CWizardPage(COrloSheet& sheet, WizardPage kind, int templateId);

    // The page for the property sheet: no wizard header, title = the package's display name.
    HPROPSHEETPAGE CreatePage(HINSTANCE instance, const std::wstring& title);

    WizardPage Kind() const { return m_kind; }
    int TemplateId() const { return m_templateId; }
    HWND Window() const { return m_window; }

    // Initialisation and activation as the sheet calls them; both do nothing until the sheet is ready.
    void Initialise();
    void Activate();
    // A key-down seen before the sheet's own keyboard rules; true consumes it.
    virtual bool PreTranslateKey(const MSG& /*message*/) { return false; }

protected:
    // Handlers of the pages. Next and Back return 0 to move on, -1 to stay, or a page template id.
    virtual void OnInitDialog() {}
    virtual void OnSetActive() {}
    virtual LRESULT OnWizardNext() { return 0; }
    virtual LRESULT OnWizardBack() { return 0; }
    virtual bool OnWizardFinish() { return true; }  // true: the wizard may close
    virtual bool OnCommand(WORD /*id*/, WORD /*code*/, HWND /*control*/) { return false; }
    virtual bool OnNotify(const NMHDR& /*header*/, LRESULT& /*result*/) { return false; }
    virtual bool OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT& /*result*/)
    {
        return false;
    }
    // Background colour and the header strip; the welcome page adds its picture.
    virtual void PaintBackground(HDC dc, const RECT& client);

    HWND Item(int id) const { return ::GetDlgItem(m_window, id); }
    // Sets a label fitted to its control and repaints what lies behind it (labels are transparent).
    void SetItemText(int id, const std::wstring& text, int mode = kFitEllipsisAfter);
    void SetItemFont(int id, HFONT font);
    void ShowItem(int id, bool show);
    bool IsChecked(int id) const;
    void SetChecked(int id, bool checked);
    // Repaints the page area at once.
    void Repaint();

    COrloSheet& m_sheet;

private:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    INT_PTR Result(LRESULT value);

    WizardPage m_kind;
    int m_templateId;
    std::wstring m_title;
};
