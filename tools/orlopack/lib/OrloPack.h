#pragma once
// OrloPack library: builds web packages (a stub executable with an appended payload and a cabinet
// set whose parts start with "ORLO"), lists and verifies them. OrloPack.exe is a thin command line
// over these three calls; tests call them in-process.
//
// Building a package in a test:
//
//     orlopack::BuildOptions options;
//     options.sourceFolder = scratch / L"src";
//     options.templateText = L"[Package]\r\nName=Demo\r\n[Runtime]\r\nAutoLaunch=setup.exe\r\n";
//     options.outputFolder = scratch / L"out";
//     options.baseName = L"Demo";
//     options.partSize = 256 * 1024;           // several parts
//     orlopack::BuildReport report;
//     ASSERT_EQ(orlopack::BuildPackage(options, report), 0) << report.error;
//     // report.packagePath == ...\out\Demo.exe, report.partPaths == ...\out\Demo.001, Demo.002, ...
//
// Nothing is written under the final names unless the whole build succeeded: parts and executable
// are made in a staging folder inside the output folder and moved into place at the end.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orlopack {

enum class Compression { MsZip, None };

struct BuildOptions {
    std::wstring sourceFolder;               // every file below it goes into the cabinet set
    std::wstring templatePath;               // properties template (INI, UTF-8 or UTF-16)...
    std::wstring templateText;               // ...or its text, used when templatePath is empty
    std::vector<std::wstring> languageFiles; // "defaultNNNN.ulf" and "Defaultx.ulf"
    std::wstring topImage;                   // optional header images; [Images] keys follow them
    std::wstring bottomImage;
    // License and security documents (.rtf, .txt) that [LicenseFiles] and [SecurityLicenseFiles]
    // name; they travel with the settings files.
    std::vector<std::wstring> documentFiles;
    std::wstring stubPath;     // empty: Tarvex.exe beside the running module
    std::wstring outputFolder; // created when missing
    std::wstring baseName;     // empty: template [Package] PackageFileName, then Name
    uint64_t partSize = 0;     // 0: template [Package] PartSize, then 64 MiB
    bool singleFile = false;   // one executable with the cabinet in its payload
    Compression compression = Compression::MsZip;
    uint16_t setId = 0; // cabinet set id ([Orlo] GUID2); 0: random
    // Optional: called while the files are compressed, with the bytes done and the bytes in all.
    std::function<void(uint64_t done, uint64_t total)> progress;
};

struct BuildReport {
    std::wstring packagePath;             // the executable
    std::vector<std::wstring> partPaths;  // Name.001, ... (empty for a single-file package)
    std::vector<std::wstring> partHashes; // MD5 per part, as written to [HashCode]
    uint16_t setId = 0;
    uint32_t fileCount = 0;
    uint64_t sourceBytes = 0;           // [Size] PackageSize
    uint64_t cabinetBytes = 0;          // [Size] CabSize: all cabinets together
    std::vector<std::wstring> notices;  // things the user should know (template keys replaced, ...)
    std::vector<std::wstring> warnings; // things that may break the package on some machines
    std::wstring error;                 // why the build failed (empty on success)
};

// Result codes of BuildPackage, ListPackage and VerifyPackage.
constexpr int kOk = 0;
constexpr int kFailed = 1; // bad input, I/O failure, or (verify) the package is not sound

// Builds a package. Returns kOk, or kFailed with report.error set; on failure nothing is left
// under the final names (files of an earlier build stay as they were).
int BuildPackage(const BuildOptions& options, BuildReport& report);

// One line of list or verify output. Verify marks each finding: severity 0 problem, 1 warning,
// 2 passed check; list uses 2 throughout.
constexpr int kProblem = 0;
constexpr int kWarning = 1;
constexpr int kPassed = 2;
struct OutputLine {
    int severity = 2;
    std::wstring text;
};

// Payload entries, part files (MD5 and header fields) and every file of the cabinet set.
int ListPackage(const std::wstring& packagePath, std::vector<OutputLine>& lines);

// The checks the front end makes before it extracts (part names, presence, MD5 against [HashCode],
// header set id and cabinet index) plus chain and size checks. kOk only when no problem was found.
int VerifyPackage(const std::wstring& packagePath, std::vector<OutputLine>& lines);

} // namespace orlopack
