#pragma once
// The package checks of a preflight run (/check): what the extraction driver finds out before the
// first file is written, found out without writing one.
#include <string>

struct PreflightFinding {
    bool passed = false;
    std::wstring detail;
};

// Multi-part: presence, MD5 and cabinet header of every listed part, logged as the driver logs them.
// Single file: the cabinet is copied out of the payload into the temp settings folder, as a run
// does. `cabinetPath` receives the first cabinet of the set (empty when there is none).
PreflightFinding CheckPackageParts(std::wstring& cabinetPath);

// Walks the cabinet set without extracting and measures every target path below `extractionPath`
// against the engine's limit; a stored name that would land outside the folder fails as well.
PreflightFinding CheckTargetPaths(const std::wstring& cabinetPath, const std::wstring& extractionPath);
