#pragma once
// The objects that exist once per run, each with one accessor. Every folder owns the accessors of
// its own objects (Log() and Counters() in log/, Settings() in settings/, Validator() and
// OsValidator() in validation/, LaunchData() in launch/); the ones below belong to util. Each
// object is created on first use and registered here, so that ResetProcessContext() can give tests
// a fresh set without knowing the types.
#include <atomic>
#include <list>
#include <mutex>
#include <string>

class CUtil;

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
    std::atomic<int> OverwriteForAll{0}; // Yes to All or No to All was answered
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

CUtil& Util();
RunFlags& Flags();
PathLists& Paths();

// Drops every process-wide object created so far (newest first); the next accessor call creates a
// fresh one. Tests only: nothing may hold a reference across the call.
void ResetProcessContext();

// ---- The machinery behind the accessors

// Held while a process-wide object is created or the set is reset.
std::mutex& ProcessContextLock();
// Adds a slot to the set that ResetProcessContext() empties; called with the lock held.
void RegisterProcessObject(void (*reset)(void* slot), void* slot);

// The slot of one process-wide object: created on first use (safe from any thread), dropped by
// ResetProcessContext(). Define one at namespace scope next to the accessor that returns it.
template <class T> class ProcessObject {
public:
    constexpr ProcessObject() = default;
    ProcessObject(const ProcessObject&) = delete;
    ProcessObject& operator=(const ProcessObject&) = delete;

    T& Get()
    {
        T* object = m_object.load(std::memory_order_acquire);
        return object != nullptr ? *object : Create();
    }

private:
    T& Create()
    {
        const std::lock_guard<std::mutex> lock(ProcessContextLock());
        T* object = m_object.load(std::memory_order_relaxed);
        if (object == nullptr) {
            object = new T();
            if (!m_registered) {
                RegisterProcessObject(&ProcessObject::Reset, this);
                m_registered = true;
            }
            m_object.store(object, std::memory_order_release);
        }
        return *object;
    }
    static void Reset(void* slot) { delete static_cast<ProcessObject*>(slot)->m_object.exchange(nullptr); }

    std::atomic<T*> m_object{nullptr};
    bool m_registered = false;
};
