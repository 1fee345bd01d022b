#include "ui/FinishPage.h"

#include "ui/MessageBox.h"
#include "launch/FinishMessages.h"
#include "launch/Launcher.h"
#include "log/BuildLogFile.h"
#include "settings/Messages.h"
#include "settings/OrloInitalizer.h"
#include "ui/FinishOutcome.h"
#include "ui/OrloSheet.h"
#include "util/Profile.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"
#include "util/Util.h"

namespace {
constexpr int kResultText = 1033;
constexpr int kResultIcon = 1051;
constexpr int kOpenLocationBox = 1014;
constexpr int kFinishMessageText = 1061;
constexpr const wchar_t* kFinishFunction = L"CFinishPage::OnWizardNext";
}  // namespace

CFinishPage::CFinishPage(COrloSheet& sheet) : CWizardPage(sheet, WizardPage::Finish, kFinishTemplate) {}

void CFinishPage::OnInitDialog()
{
    m_sheet.EnableCloseCommand(5);
    SetResult();
    SetItemFont(kResultText, m_sheet.TitleFont());
    SetItemFont(kOpenLocationBox, m_sheet.TextFont());
    SetItemFont(kFinishMessageText, m_sheet.TextFont());
    OfferOpenLocation();
    m_sheet.ShowButtons(L"FINISH", SW_SHOW);
    m_sheet.ShowButtons(L"BACK,NEXT,CANCEL", SW_HIDE);
    m_sheet.EnableButtons(L"FINISH", true);
    m_sheet.EnableButtons(L"BACK,NEXT,CANCEL", false);
    m_sheet.SetButtonTexts(L"FINISH");
    m_sheet.FocusFinishButton();
}

void CFinishPage::OnSetActive()
{
    m_sheet.FocusFinishButton();
    if (m_activatedOnce) {
        SetResult();
    }
    m_activatedOnce = true;
}

void CFinishPage::SetIcon(int bitmapId)
{
    m_icon.Reset(::LoadImageW(m_sheet.Context().instance, MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0,
                              LR_DEFAULTCOLOR));
    if (m_icon) {
        ::SendMessageW(Item(kResultIcon), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_icon.Get()));
    }
}

void CFinishPage::SetResult()
{
    FinishFacts facts;
    facts.status = Settings().GetExtractionStatus();
    facts.displayName = Settings().GetDisplayName();
    facts.failedFile = Settings().GetReportedFileName();
    facts.finishAfterLaunch = m_sheet.finishAfterLaunch;
    facts.extractOnly = m_sheet.extractOnly;
    facts.autolaunch = Settings().GetAutolaunch();
    facts.unconfiguredResult = HasUnconfiguredResult();
    const FinishOutcome outcome = ChooseFinishOutcome(facts, [](int id) { return GetMessage(id); });
    m_outcomeShown = m_outcomeShown || outcome.outcomeShown;
    if (outcome.fitted) {
        SetItemText(kResultText, outcome.text);
    } else {
        ::SetWindowTextW(Item(kResultText), outcome.text.c_str());
    }
    SetIcon(outcome.icon);
    if (outcome.addsFinishMessage) {
        const std::wstring finishMessage = GetFinishMessage();
        if (!finishMessage.empty()) {
            SetItemText(kFinishMessageText, finishMessage);
        }
    }
    Repaint();
}

void CFinishPage::OfferOpenLocation()
{
    const std::wstring& properties = Settings().GetPropertiesPath();
    const std::wstring open = ReadProfileString(properties, L"Runtime", L"OpenExtractionLocation");
    const std::wstring multilaunch = ReadProfileString(properties, L"Runtime", L"Multilaunch");
    const std::wstring autolaunch =
        ReadProfileString(properties, L"Runtime", multilaunch == L"1" ? L"AutoLaunch1" : L"AutoLaunch");
    const bool extractOnly = m_sheet.extractOnly != 0;
    const bool waitedFor = m_sheet.finishAfterLaunch == 1 && Settings().GetWaitForAutolaunchFinish() == 1;
    if (open == L"1" && !m_outcomeShown && (autolaunch.empty() || !Util().IsAdmin(0) || extractOnly) &&
        (waitedFor || extractOnly)) {
        SetItemText(kOpenLocationBox, GetMessage(609));
        SetChecked(kOpenLocationBox, false);
        ShowItem(kOpenLocationBox, true);
    }
}

bool CFinishPage::OnWizardFinish()
{
    if (::IsWindowVisible(Item(kOpenLocationBox)) && IsChecked(kOpenLocationBox)) {
        OpenExtractionLocation();
    } else if (m_sheet.extractOnly == 0 && m_sheet.finishAfterLaunch == 0) {
        // The single setup that nobody waits for starts now.
        m_sheet.HandleLaunchSetup();
    }
    return true;
}

void CFinishPage::OpenExtractionLocation()
{
    const std::wstring path = Settings().GetExtractionPath();
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    const bool isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (isFolder && CUtil::IsFolderWritable(path, L"Orl")) {
        std::wstring errorText;
        LaunchApplication(path, L"", errorText, 0);
        return;
    }
    ::ShowWindow(m_sheet.Window(), SW_HIDE);
    if (isFolder) {
        DoMessageBox(ReplaceAll(GetMessage(414), L"[INVALIDPATH]", path), MB_OK | MB_ICONHAND);
        Log().WriteLine(kLogError, kFinishFunction, L"Please check the permission of the path: %ls", path.c_str());
    } else {
        DoMessageBox(ReplaceAll(GetMessage(107), L"[PATH]", path), MB_OK | MB_ICONHAND);
        Log().WriteLine(kLogError, kFinishFunction, L"Extration path does not exist : %ls", path.c_str());
    }
}
