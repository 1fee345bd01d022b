#pragma once
// CInstallFile: the version of a file on the target machine, for version conditions.
#include <windows.h>

#include <string>

class CInstallFile {
public:
    virtual ~CInstallFile() = default;

    // The fixed file version of `path` as "%d.%d.%d.%d". Returns 0, or the system error code when
    // the file has no readable version resource; `version` is written only on success.
    static DWORD GetFileVersion(const std::wstring& path, std::wstring& version);
};
