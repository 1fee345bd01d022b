#pragma once
// What the launch step and the cleanup keep for the whole run: the return-code message table, the
// finish messages, and whether the temporary settings folder has been dealt with. Reach the one
// instance through LaunchData() (below); ResetProcessContext() gives a fresh one.
#include <functional>
#include <map>
#include <string>

struct LaunchState {
    // "<launch key>:returncode_<code>" (lower case) -> prefix as written + message text.
    std::map<std::wstring, std::wstring> ReturnCodeMessages;
    // "ERROR", "SUCCESS", "NOTSET", "MessageOnFinish" -> text.
    std::map<std::wstring, std::wstring> FinishMessages;
    // RemoveOrloTempDirectory acts once per run.
    bool TempFolderRemoved = false;
    // The application closes its handle on the properties file through this (the file lies in the
    // temporary settings folder, which cannot be removed while the handle is open).
    std::function<void()> ClosePropertiesHandle;
};

LaunchState& LaunchData();
