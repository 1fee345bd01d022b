#pragma once
// The objects that exist once per run, each with one accessor. Tests call ResetProcessContext()
// to give every test a fresh set.
#include <atomic>
#include <list>
#include <string>

class CBuildLogFile;
class LogCounters;
class CUtil;
class COrloInitalizer;
class CExtractorValidator;
class COSValidator;
struct LaunchState;

// Answers of the overwrite prompt.
constexpr int kOverwriteYes = 1000;
constexpr int kOverwriteYesToAll = 1001;
constexpr int kOverwriteNo = 1002;
constexpr int kOverwriteNoToAll = 1003;
constexpr int kOverwriteCancel = 1004;

// Flags of the run. The continue flag is 1 while work may go on and 0 after a confirmed cancel;
// workers read it, so it is atomic.
struct RunFlags {
    std::atomic<int> Continue{1};
    std::atomic<int> UserCancelled{0};
    std::atomic<int> DeleteOnExit{0};
    std::atomic<int> SelfDeleteOnExit{0};
    std::atomic<int> LaunchReturned{0};
    std::atomic<int> OverwriteAnswer{0};
    std::atomic<int> PayloadCancel{0};  // set by the window to stop a payload copy (cleared by the reader)
    std::wstring CurrentFileName;       // file the overwrite prompt asks about
};

// What an extraction touched, newest first (insert at the head). Filled by the cabinet engine,
// read by the cleanup.
struct PathLists {
    std::list<std::wstring> ExtractedFiles;
    std::list<std::wstring> PackageFiles;
    std::list<std::wstring> FolderChain;
    std::list<std::wstring> CreatedFolders;
    // Package files that existed and were left as they were at the overwrite prompt: the user's,
    // never deleted by the cleanup nor handed over for deletion.
    std::list<std::wstring> KeptFiles;
    void Clear()
    {
        ExtractedFiles.clear();
        PackageFiles.clear();
        FolderChain.clear();
        CreatedFolders.clear();
        KeptFiles.clear();
    }
};

CBuildLogFile& Log();
LogCounters& Counters();
CUtil& Util();
COrloInitalizer& Settings();
CExtractorValidator& Validator();
COSValidator& OsValidator();
RunFlags& Flags();
PathLists& Paths();
LaunchState& LaunchData();  // return-code and finish messages, temp-folder flag (launch/)

void ResetProcessContext();
