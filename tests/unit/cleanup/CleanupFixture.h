#pragma once
// An extraction made the way the cabinet engine records it: every file it writes goes to
// ExtractedFiles and PackageFiles, a file kept at the overwrite prompt to PackageFiles and KeptFiles, the
// folders between a file and the extraction folder to FolderChain, the folders it had to create to
// CreatedFolders (all newest first).
#include <list>
#include <string>

#include "../launch/LaunchFixture.h"
#include "util/Util.h"

namespace cleanuptest {

class CleanupFixture : public launchtest::LaunchFixture {
protected:
    void SetUp() override
    {
        LaunchFixture::SetUp();
        // By default the extraction folder is new: its topmost created folder is Root.
        UseExtractionFolder(Scratch() + L"Root\\Pkg\\", Scratch() + L"Root");
    }

    // Makes `folder` the extraction folder; when `createdRoot` is given, it did not exist before the
    // run and the extraction-path check recorded it.
    void UseExtractionFolder(const std::wstring& folder, const std::wstring& createdRoot)
    {
        ::RemoveDirectoryW(extraction.c_str());
        extraction = folder;
        MakeParents(extraction);
        Settings().SetExtractionPath(extraction);
        Util().CreatedExtractionRoot = createdRoot;
    }

    // The engine writes `relative` (creating its folders) and records it.
    std::wstring Extract(const std::wstring& relative, const std::string& content = "data")
    {
        const std::wstring target = extraction + relative;
        RecordFolders(target);
        testenv::WriteFileText(target, content);
        Paths().ExtractedFiles.push_front(target);
        Paths().PackageFiles.push_front(target);
        return target;
    }
    // A file that existed before the run and was kept at the overwrite prompt.
    std::wstring KeepExisting(const std::wstring& relative)
    {
        const std::wstring target = extraction + relative;
        MakeParents(target);
        testenv::WriteFileText(target, "existed before");
        RecordFolders(target);
        Paths().PackageFiles.push_front(target);
        Paths().KeptFiles.push_front(target);
        return target;
    }
    // A file the engine did not write (the user, the setup, another program).
    std::wstring Foreign(const std::wstring& path)
    {
        MakeParents(path);
        testenv::WriteFileText(path, "not ours");
        return path;
    }

    static std::wstring Folder(const std::wstring& path) { return path.substr(0, path.rfind(L'\\')); }

private:
    void RecordFolders(const std::wstring& target)
    {
        const std::wstring top = extraction.substr(0, extraction.size() - 1);
        auto& chain = Paths().FolderChain;
        for (std::wstring folder = Folder(target); folder.size() > top.size() && !EqualsNoCase(folder, top);
             folder = Folder(folder)) {
            bool known = false;
            for (const auto& entry : chain) {
                known = known || EqualsNoCase(entry, folder);
            }
            if (known) {
                break;
            }
            chain.push_front(folder);
        }
        Create(Folder(target));
    }
    void Create(const std::wstring& folder)
    {
        if (::GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES) {
            return;
        }
        Create(Folder(folder));
        if (::CreateDirectoryW(folder.c_str(), nullptr)) {
            Paths().CreatedFolders.push_front(folder);
        }
    }
};

} // namespace cleanuptest
