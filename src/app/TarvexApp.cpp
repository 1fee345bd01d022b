#include "app/TarvexApp.h"

#include <objbase.h>
#include <ole2.h>
// GDI+ needs these before its header.
#include <algorithm>
using std::max;
using std::min;
#include <gdiplus.h>

#include <cstdlib>

#include "app/PasswordCheck.h"
#include "app/SingleInstance.h"
#include "app/WizardBuilder.h"
#include "extraction/ExtractionDriver.h"
#include "launch/Cleanup.h"
#include "launch/LaunchState.h"
#include "log/BuildLogFile.h"
#include "log/RunResult.h"
#include "settings/CommandLine.h"
#include "settings/CommandLineHelp.h"
#include "settings/Messages.h"
#include "settings/OrloInitalizer.h"
#include "ui/MessageBox.h"
#include "ui/UnattendedExtracter.h"
#include "util/ProcessContext.h"
#include "util/Profile.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/WideFormat.h"
#include "validation/ExtractorValidator.h"
#include "validation/OSValidator.h"
#include "validation/ValidatorChecks.h"

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
    RunReport().EnterStage(RunStage::StartUp); // the run's clock starts here
    Gdiplus::GdiplusStartupInput gdiplusInput;
    Gdiplus::GdiplusStartup(&m_gdiplusToken, &gdiplusInput, nullptr);

    m_options = std::make_unique<CExtractorCommandOpt>();
    m_options->ParseProcessCommandLine();
    if (m_options->help == 1) {
        // A silent or unattended run never blocks on a box: there the list is simply not shown.
        if (m_options->RunMode() == kRunModeGui) {
            DoMessageBox(CommandLineHelpText(), MB_OK | MB_ICONINFORMATION);
        }
        m_helpOnly = true;
        return false;
    }
    m_deployment.Configure(*m_options);
    if (m_deployment.Check() && m_options->unattended != 1) {
        m_options->silent = 1; // a preflight asks nothing and shows nothing
    }

    Log().InitMasterLog();

    m_silent = m_options->silent;
    m_unattended = m_options->unattended;
    Settings().SetRunMode(RunMode());

    CSingleInstance instance;
    if (instance.IsAlreadyRunning()) {
        ShowBox(GetMessage(105), MB_OK);
        Log().WriteLine(kLogError, kFunction, L"Another instance is already running.");
        RunReport().NoteFailure(runcheck::kSingleInstance);
        m_deployment.Verdict(runcheck::kSingleInstance, false, L"another instance is already running");
        m_secondInstance = 1;
        instance.Close();
        return false;
    }

    if (FAILED(::OleInitialize(nullptr))) {
        ShowBox(GetMessage(901), MB_OK);
        Log().WriteLine(kLogError, kFunction,
                        L"OLE initialization failed.  Make sure that the OLE libraries are the correct version.");
        RunReport().NoteFailure(runcheck::kOle);
        return false;
    }
    m_oleInitialized = true;

    Validator().SetMessageBoxRoutine(&DoMessageBox);
    Settings().SetChecks(&ValidatorChecks());
    LaunchData().ClosePropertiesHandle = [this] { ClosePropertiesHandle(); };

    m_deployment.Verdict(runcheck::kSingleInstance, true, L"");
    const std::wstring tempError = Settings().CretaeAndValidateOrloTempDir();
    m_deployment.Verdict(runcheck::kTempFolder, tempError.empty(), tempError);
    if (!tempError.empty()) {
        RunReport().NoteFailure(runcheck::kTempFolder);
        SetAppName(GetMessage(103));
        ShowBox(tempError, MB_OK | MB_ICONHAND);
        Quit(-1, -1, L"");
    }

    const int payloadResult = Settings().ExtractIntermediateFiles();
    m_deployment.Verdict(runcheck::kPayload, payloadResult == 0,
                         payloadResult == 0 ? L"" : L"the settings files of the package could not be read");
    if (payloadResult != 0) {
        RunReport().NoteFailure(runcheck::kPayload);
        Quit(-1, payloadResult, L"");
    }

    FillFonts();

    OrloInitRecord record;
    record.debug = m_options->debug;
    record.noConditionCheck = m_options->NoConditioncheck;
    record.noOSCheck = m_options->NoOSCheck;
    record.extractPath = m_options->extractPath;
    record.autolaunch = m_options->autolaunch;
    record.setupLanguage = m_options->setupLanguage;
    record.runMode = RunMode();
    RunReport().EnterStage(RunStage::Checks);
    const int display = Settings().Init(record);

    OpenPropertiesHandle();
    CopyHeaderImages();

    m_displayName = Settings().GetDisplayName();
    SetAppName(m_displayName);
    Log().WriteLine(kLogInfo, L"Display Name", L"%ls", m_displayName.c_str());
    m_deployment.NotePackage(Settings().GetPackageName(),
                             ReadProfileString(Settings().GetPropertiesPath(), L"Package", L"VersionString"));

    if (m_deployment.Check()) {
        RunPreflight(display, record);
        instance.Close();
        m_options.reset();
        return false;
    }
    if (!RunChecks()) {
        instance.Close();
        m_options.reset();
        return false;
    }

    if (display == kDisplayUnattendedWindow) {
        // Silent wins over unattended: a silent run shows no window and asks nothing.
        const int visible = RunMode() == kRunModeUnattended ? 1 : 0;
        CUnattendedExtracter window(visible, m_worker, m_textFont, ExtractPackageThread<WorkerThread>,
                                    [this] { Quit(8, 6, L""); });
        window.DoModal(m_instance);
        if (!RunReport().Entered(RunStage::Verification)) {
            RunReport().NoteFailure(runcheck::kExtraction); // the window or its worker never started
        }
    } else if (display != kDisplayStop) {
        const int language = Validator().GetDefaultLanguage();
        Settings().SetLanguage(language);
        LoadLanguage(language, Settings().GetOrloTempDir());
        std::wstring hash;
        std::wstring error;
        const DWORD md5Result = CExtractorValidator::ComputeFileMd5(Settings().GetPropertiesPath(), hash, error);
        if (md5Result != 0) {
            Log().WriteLine(kLogWarning, kFunction, L"%ls : Return Code : %d", error.c_str(), static_cast<int>(md5Result));
        }
        m_propertiesMd5 = hash;
        Validator().SetParameterFileBaseline(hash);
        WizardContext context;
        context.instance = m_instance;
        context.displayName = m_displayName;
        context.titleFont = m_titleFont;
        context.textFont = m_textFont;
        context.topImagePath = m_topImagePath;
        context.bottomImagePath = m_bottomImagePath;
        context.worker = &m_worker;
        context.userInterfaceLanguage = CUtil::GetUILanguage();
        context.requiredPassword = m_requiredPassword;
        context.decodedPassword = m_decodedPassword;
        RunWizard(context, display);
    }

    instance.Close();
    m_options.reset();
    return false;
}

bool CTarvexApp::RunChecks()
{
    if (!CheckAdminRights()) {
        return false;
    }
    if (!CheckPassword(m_options->extractionPassword)) {
        RunReport().NoteFailure(runcheck::kPassword);
        return false;
    }
    ValidateOSBeforeExtraction();
    return true;
}

bool CTarvexApp::CheckAdminRights()
{
    if (ReadProfileString(Settings().GetPropertiesPath(), L"Runtime", L"CheckAdmin") == L"1") {
        Log().WriteLine(kLogInfo, L"GetCheckAdmin", L"Admin rights needed for extraction");
        if (!Util().IsAdmin(0)) {
            Log().WriteLine(kLogError, kFunction, L"User is not having admin rights.");
            RunReport().NoteFailure(runcheck::kAdminRights);
            ShowBox(ReplaceFirst(GetMessage(421), L"\\n", L"\n"), MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
    }
    return true;
}

bool CTarvexApp::CheckPassword(const std::wstring& commandLinePassword)
{
    ClosePropertiesHandle();
    const PasswordState state = PreparePassword(Settings().GetPropertiesPath());
    OpenPropertiesHandle();
    m_decodedPassword = state.decoded;
    m_requiredPassword = state.required;
    return CheckCommandLinePassword(RunMode(), state, commandLinePassword);
}

void CTarvexApp::ValidateOSBeforeExtraction()
{
    const wchar_t* function = L"ValidateOSBeforeExtraction";
    if (Settings().GetNoOSCheck() == 1) {
        Log().WriteLine(kLogInfo, function, L"NoOSCheck is set");
        return;
    }
    OsValidator().SetPropertiesPath(Settings().GetPropertiesPath());
    const int verdict = OsValidator().IdentifyOS(false);
    Settings().SetOSResult(verdict);
    if (Settings().GetAutolaunch() != 1) {
        return;
    }
    // The package's own text for this system becomes the run's finish message.
    Validator().CheckOS(verdict, Settings().GetLanguage(), 0, 0);
    if (verdict == 302) {
        Log().WriteLine(kLogError, function, L"Current operating system not supported");
    }
    if (ReadProfileString(Settings().GetPropertiesPath(), L"Package", L"CheckOs") != L"1") {
        return;
    }
    m_checkOs = 1;
    if (verdict != 302 || RunMode() != kRunModeGui) {
        return;
    }
    const int language = Validator().GetDefaultLanguage();
    Settings().SetLanguage(language);
    LoadLanguage(language, Settings().GetOrloTempDir());
    Log().WriteLine(kLogInfo, function, L"Operating System will be validated before extraction");
    Log().WriteLine(kLogInfo, function, L"Confirming from user : ");
    if (DoMessageBox(OsValidator().GetNotSupportedQuestion(), MB_YESNO) == IDNO) {
        Log().WriteLine(kLogInfo, function, L"User confirmed to cancel the extraction");
        m_deployment.NoteCancelled();
        Quit(-1, -1, L"");
    }
    Log().WriteLine(kLogInfo, function, L"User confirmed to continue the extraction");
}

void CTarvexApp::CopyHeaderImages()
{
    wchar_t temp[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"temp", temp, MAX_PATH);
    const std::wstring tempFolder(temp, length < MAX_PATH ? length : 0);
    auto copyImage = [&](const wchar_t* key) {
        const std::wstring source = Settings().GetImagePath(key);
        if (source.empty()) {
            return std::wstring();
        }
        const std::wstring copy = FormatW(L"%ls\\%ls", tempFolder.c_str(), CUtil::SplitPath(source, 1).c_str());
        // A file of that name in TEMP is not ours to replace (nor to delete at shutdown).
        if (!tempFolder.empty() && ::CopyFileW(source.c_str(), copy.c_str(), TRUE)) {
            m_imageCopies.push_back(copy);
            return copy;
        }
        return source;
    };
    m_bottomImagePath = copyImage(L"BottomImage");
    m_topImagePath = copyImage(L"TopImage");
    if (!m_topImagePath.empty() && CUtil::FileExists(m_topImagePath)) {
        Gdiplus::GpImage* image = nullptr;
        if (Gdiplus::DllExports::GdipLoadImageFromFile(m_topImagePath.c_str(), &image) == Gdiplus::Ok) {
            m_topImage = image;
        }
    }
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
    if (m_helpOnly) {
        StopWorkerAndGdiplus();
        return 0;
    }
    m_deployment.BeginShutdown();
    if (!m_shutdownDone && m_secondInstance == 0) {
        CleanupAtExit(true);
    }
    const int status = Settings().GetExtractionStatus();
    const int code = m_deployment.ExitCode((status == -5 || status == -3 || status == -2) ? -1 : 0);
    ShutdownShared();
    return code;
}

void CTarvexApp::Quit(int kind, int exitCode, const std::wstring& message)
{
    if (!message.empty()) {
        Log().WriteLine(kind == -1 ? kLogError : kLogInfo, L"Quit", L"%ls", message.c_str());
    }
    m_deployment.BeginShutdown();
    const int code = m_deployment.ExitCode(exitCode);
    ShutdownShared();
    std::exit(code);
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
    if (!Settings().GetOrloTempDir().empty()) {
        RemoveOrloTempDirectory();  // also undoes a cancelled extraction; acts once per run
    }
}

void CTarvexApp::ReleaseUiResources()
{
    ClosePropertiesHandle();
    if (m_topImage != nullptr) {
        Gdiplus::DllExports::GdipDisposeImage(static_cast<Gdiplus::GpImage*>(m_topImage));
        m_topImage = nullptr;
    }
    for (const std::wstring& copy : m_imageCopies) {
        ::DeleteFileW(copy.c_str());
    }
    m_imageCopies.clear();
    ClearAppName();
    Log().Finish(kRunModeSilent, nullptr);
    m_deployment.WriteResult(RunMode()); // after the summary, so that it reports the summary's counts
    Log().WriteRaw(L"%ls\n", kLogEndBanner);
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
