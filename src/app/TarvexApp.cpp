#include "app/TarvexApp.h"

#include <objbase.h>
#include <ole2.h>
// GDI+ needs these before its header.
#include <algorithm>
using std::max;
using std::min;
#include <gdiplus.h>

#include <cstdlib>

#include "app/MessageBox.h"
#include "app/PasswordCheck.h"
#include "app/SingleInstance.h"
#include "log/BuildLogFile.h"
#include "settings/CommandLine.h"
#include "settings/Messages.h"
#include "settings/OrloInitalizer.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/WideFormat.h"

namespace {
CTarvexApp* g_app = nullptr;
constexpr const wchar_t* kFunction = L"InitInstance";
}  // namespace

CTarvexApp* TheApp() { return g_app; }

CTarvexApp::CTarvexApp(HINSTANCE instance) : m_instance(instance) { g_app = this; }

CTarvexApp::~CTarvexApp() { g_app = nullptr; }

int CTarvexApp::RunMode() const
{
    if (m_silent == 1) {
        return kRunModeSilent;
    }
    return m_unattended == 1 ? kRunModeUnattended : kRunModeGui;
}

int CTarvexApp::ShowBox(const std::wstring& text, UINT type)
{
    if (RunMode() != kRunModeGui) {
        return 0;  // silent and unattended runs never show a box
    }
    return DoMessageBox(text, type);
}

bool CTarvexApp::InitInstance()
{
    Gdiplus::GdiplusStartupInput gdiplusInput;
    Gdiplus::GdiplusStartup(&m_gdiplusToken, &gdiplusInput, nullptr);

    m_options = std::make_unique<CExtractorCommandOpt>();
    m_options->ParseProcessCommandLine();

    Log().InitMasterLog();

    m_silent = m_options->silent;
    m_unattended = m_options->unattended;
    Settings().SetRunMode(RunMode());

    CSingleInstance instance;
    if (instance.IsAlreadyRunning()) {
        ShowBox(GetMessage(105), MB_OK);
        Log().WriteLine(kLogError, kFunction, L"Another instance is already running.");
        m_secondInstance = 1;
        instance.Close();
        return false;
    }

    if (FAILED(::OleInitialize(nullptr))) {
        ShowBox(GetMessage(901), MB_OK);
        Log().WriteLine(kLogError, kFunction,
                        L"OLE initialization failed.  Make sure that the OLE libraries are the correct version.");
        return false;
    }
    m_oleInitialized = true;

    const std::wstring tempError = Settings().CretaeAndValidateOrloTempDir();
    if (!tempError.empty()) {
        SetAppName(GetMessage(103));
        ShowBox(tempError, MB_OK | MB_ICONHAND);
        Quit(-1, -1, L"");
    }

    const int payloadResult = Settings().ExtractIntermediateFiles();
    if (payloadResult != 0) {
        Quit(-1, payloadResult, L"");
    }

    FillFonts();

    Log().WriteLine(kLogInfo, kFunction,
                    L"Package settings, checks and windows are not part of this build: ending the run");
    instance.Close();
    m_options.reset();
    return false;
}

void CTarvexApp::FillFonts()
{
    m_titleFont = LOGFONTW{};
    m_titleFont.lfHeight = 16;
    m_titleFont.lfWeight = 600;
    ::lstrcpynW(m_titleFont.lfFaceName, L"Tahoma", LF_FACESIZE);
    m_textFont = LOGFONTW{};
    m_textFont.lfHeight = 15;
    m_textFont.lfWeight = 100;
    ::lstrcpynW(m_textFont.lfFaceName, L"Tahoma", LF_FACESIZE);
}

int CTarvexApp::ExitInstance()
{
    ShutdownShared();
    const int status = Settings().GetExtractionStatus();
    return (status == -5 || status == -3 || status == -2) ? -1 : 0;
}

void CTarvexApp::Quit(int kind, int exitCode, const std::wstring& message)
{
    if (!message.empty()) {
        Log().WriteLine(kind == -1 ? kLogError : kLogInfo, L"Quit", L"%ls", message.c_str());
    }
    ShutdownShared();
    std::exit(exitCode);
}

void CTarvexApp::ShutdownShared()
{
    if (m_shutdownDone) {
        return;
    }
    m_shutdownDone = true;
    CleanupOnce();
    ReleaseUiResources();
    StopWorkerAndGdiplus();
}

void CTarvexApp::CleanupOnce()
{
    if (m_cleanupDone) {
        return;
    }
    m_cleanupDone = true;
    ClosePropertiesHandle();
    const std::wstring tempDirectory = Settings().GetOrloTempDir();
    if (!tempDirectory.empty()) {
        CUtil::RemoveTree(tempDirectory.substr(0, tempDirectory.size() - 1));
    }
}

void CTarvexApp::ReleaseUiResources()
{
    ClosePropertiesHandle();
    if (m_topImage != nullptr) {
        Gdiplus::DllExports::GdipDisposeImage(static_cast<Gdiplus::GpImage*>(m_topImage));
        m_topImage = nullptr;
    }
    for (const std::wstring* copy : {&m_bottomImagePath, &m_topImagePath}) {
        if (!copy->empty() && CUtil::FileExists(*copy)) {
            ::DeleteFileW(copy->c_str());
        }
    }
    ClearAppName();
    Log().Finish(kRunModeSilent, nullptr);
    Log().WriteRaw(L"%ls", kLogEndBanner);
}

void CTarvexApp::StopWorkerAndGdiplus()
{
    if (m_secondInstance == 0) {
        m_worker.WaitAndClose(100);
    }
    if (m_oleInitialized) {
        ::OleUninitialize();
        m_oleInitialized = false;
    }
    if (m_gdiplusToken != 0) {
        Gdiplus::GdiplusShutdown(m_gdiplusToken);
        m_gdiplusToken = 0;
    }
}

void CTarvexApp::OpenPropertiesHandle()
{
    m_propertiesHandle.Reset(::CreateFileW(Settings().GetPropertiesPath().c_str(), FILE_READ_DATA, FILE_SHARE_READ,
                                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void CTarvexApp::ClosePropertiesHandle() { m_propertiesHandle.Reset(); }
