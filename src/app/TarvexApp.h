#pragma once
// CTarvexApp: the life of the process: start-up checks, the chosen window, and shutdown.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/DeploymentRun.h"
#include "util/Handles.h"
#include "util/WorkerThread.h"

class CExtractorCommandOpt;
struct OrloInitRecord;

class CTarvexApp {
public:
    explicit CTarvexApp(HINSTANCE instance);
    ~CTarvexApp();

    bool InitInstance();   // runs the whole program; always false
    int ExitInstance();    // normal shutdown; returns the process exit code (0 or -1)
    [[noreturn]] void Quit(int kind, int exitCode, const std::wstring& message);

    int RunMode() const;
    bool CheckPassword(const std::wstring& commandLinePassword);
    void ValidateOSBeforeExtraction();

    WorkerThread& Worker() { return m_worker; }
    const std::wstring& DisplayName() const { return m_displayName; }
    const std::wstring& DecodedPassword() const { return m_decodedPassword; }
    const std::wstring& RequiredPasswordFlag() const { return m_requiredPassword; }

private:
    void ShutdownShared();         // the three steps shared by ExitInstance and Quit
    void CleanupOnce();            // step 1: properties handle, cancelled files, temp folder
    void ReleaseUiResources();     // step 2
    void StopWorkerAndGdiplus();   // step 3
    void OpenPropertiesHandle();
    void ClosePropertiesHandle();
    void CopyHeaderImages();
    void FillFonts();
    bool RunChecks();  // administrator, password and OS checks; false ends the run
    bool CheckAdminRights();
    // /check: the checks after the settings are read, each with its verdict; extracts nothing.
    void RunPreflight(int display, const OrloInitRecord& record);
    int ShowBox(const std::wstring& text, UINT type);  // only in GUI mode; 0 otherwise

    HINSTANCE m_instance = nullptr;
    ULONG_PTR m_gdiplusToken = 0;
    WorkerThread m_worker;
    int m_secondInstance = 0;
    int m_silent = 0;
    int m_unattended = 0;
    int m_checkOs = 0;
    bool m_cleanupDone = false;
    bool m_oleInitialized = false;
    bool m_shutdownDone = false;
    bool m_helpOnly = false; // /? or /help: nothing else happens
    DeploymentRun m_deployment;
    UniqueFileHandle m_propertiesHandle;
    std::wstring m_topImagePath;
    std::wstring m_bottomImagePath;
    std::vector<std::wstring> m_imageCopies; // the copies this run made: the only ones it deletes
    void* m_topImage = nullptr;  // GpImage*
    std::wstring m_propertiesMd5;
    std::wstring m_requiredPassword;
    std::wstring m_decodedPassword;
    std::wstring m_displayName;
    int m_requirementsChecked = 0;
    LOGFONTW m_titleFont{};
    LOGFONTW m_textFont{};
    std::unique_ptr<CExtractorCommandOpt> m_options;
};

// The running application (null outside Tarvex.exe, e.g. in unit tests).
CTarvexApp* TheApp();
