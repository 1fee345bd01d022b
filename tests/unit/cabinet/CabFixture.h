#pragma once
// Shared set-up of the engine tests: a fresh process context, a package folder with a properties
// file naming the part base "Pack", and a target folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestCabinet.h"
#include "TestEnv.h"
#include "cabinet/CabDecompressor.h"
#include "settings/OrloInitalizer.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"
#include "validation/ExtractorValidator.h"

class CabFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessContext();
        Settings().SetMultiPartDownload(1);
        Settings().SetCabinetSetId(kSetId);
        Settings().SetOverwriteWithoutPrompting(0);
        m_package = m_dir / L"package\\";
        m_target = m_dir / L"target\\";
        ::CreateDirectoryW(m_package.c_str(), nullptr);
        ::CreateDirectoryW(m_target.c_str(), nullptr);
        Validator().SetPackageExecutable(m_package + L"Pack1.exe");
        Validator().SetPropertiesPath(m_dir / L"Properties_Orlo.ini");
        testenv::WriteUtf16File(m_dir / L"Properties_Orlo.ini", L"[Package]\r\nMultipartFileName=Pack\r\n");
    }
    void TearDown() override { ResetProcessContext(); }

    // Writes the set into the package folder and lets the validator find part 1 (this sets the
    // part-name pattern the engine renames with). Returns the part paths.
    std::vector<std::wstring> WriteParts(const std::vector<testcab::File>& files, size_t perCabinet = 0,
                                         testcab::SetOptions options = {})
    {
        options.folder = m_package;
        options.dataPerCabinet = perCabinet;
        if (options.setId == testcab::SetOptions{}.setId) {
            options.setId = kSetId;
        }
        auto parts = testcab::WriteSet(options, files);
        std::wstring failed;
        std::list<std::wstring> lines;
        Validator().GetValidPartName(failed, lines);
        return parts;
    }

    std::wstring Target(const std::wstring& relative) const { return m_target + relative; }

    static constexpr uint16_t kSetId = 4711;
    testenv::ScratchDir m_dir{L"cab"};
    std::wstring m_package;
    std::wstring m_target;
};

inline std::vector<std::wstring> ToVector(const std::list<std::wstring>& list)
{
    return std::vector<std::wstring>(list.begin(), list.end());
}

inline size_t CountNoCase(const std::list<std::wstring>& list, const std::wstring& item)
{
    return static_cast<size_t>(
        std::count_if(list.begin(), list.end(), [&](const std::wstring& x) { return EqualsNoCase(x, item); }));
}
