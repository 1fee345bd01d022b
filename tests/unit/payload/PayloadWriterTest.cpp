// CPayloadWriter: what it refuses, and that a failed build leaves nothing behind.
#include <gtest/gtest.h>

#include "PayloadTestUtil.h"
#include "settings/Payload.h"
#include "version/VersionInfoUpdater.h"

using namespace payloadtest;

TEST(PayloadWriter, PackageIsTheStubStampedAndFollowedByTheEntries)
{
    testenv::ScratchDir dir(L"writer");
    const std::wstring pkg = dir / L"pkg.exe";
    const uint32_t offset = MakePackage(pkg, {Entry(L"a.ini", Bytes("abc")), Entry(L"WebCab1", Bytes("cab"), 100)});
    const auto stub = testenv::ReadFileBytes(Stub());
    const auto bytes = testenv::ReadFileBytes(pkg);
    ASSERT_EQ(offset, stub.size());
    EXPECT_EQ(COrloVersionInfoUpdater().ReadStamp(pkg), offset);
    EXPECT_EQ(COrloVersionInfoUpdater().ReadStamp(Stub()), 0u); // the stub itself stays untouched

    // Apart from the 4 stamp bytes the image is the stub's; the entries follow without gaps.
    const uint64_t stampAt = FindStampFileOffset(stub);
    ASSERT_GT(stampAt, 0u);
    for (size_t i = 0; i < stub.size(); ++i) {
        if (i < stampAt || i >= stampAt + 4) {
            ASSERT_EQ(bytes[i], stub[i]) << i;
        }
    }
    std::vector<uint8_t> expected = EncodePayloadEntryHeader(L"a.ini", 3, 200);
    expected.insert(expected.end(), {'a', 'b', 'c'});
    const auto second = EncodePayloadEntryHeader(L"WebCab1", 3, 100);
    expected.insert(expected.end(), second.begin(), second.end());
    expected.insert(expected.end(), {'c', 'a', 'b'});
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + offset, bytes.end()), expected);
}

TEST(PayloadWriter, RefusedEntriesAndFailedBuildsLeaveNothingBehind)
{
    testenv::ScratchDir dir(L"writer");
    const std::wstring pkg = dir / L"pkg.exe";
    PayloadEntry missingSource;
    missingSource.name = L"gone.ini";
    missingSource.sourcePath = dir / L"gone.ini";
    struct Case {
        const char* what;
        std::wstring stub;
        std::vector<PayloadEntry> entries;
        DWORD code;
    };
    const Case cases[] = {
        {"name with a folder part", Stub(), {Entry(L"..\\evil.ini", Bytes("x"))}, ERROR_INVALID_NAME},
        {"empty name", Stub(), {Entry(L"", Bytes("x"))}, ERROR_INVALID_NAME},
        {"unknown type", Stub(), {Entry(L"a.ini", Bytes("x"), 300)}, ERROR_INVALID_PARAMETER},
        {"settings after package data",
         Stub(),
         {Entry(L"WebCab1", Bytes("c"), 100), Entry(L"late.ini", Bytes("x"))},
         ERROR_INVALID_DATA},
        {"missing source file", Stub(), {Entry(L"a.ini", Bytes("x")), missingSource}, ERROR_FILE_NOT_FOUND},
        {"missing stub", dir / L"nostub.exe", {Entry(L"a.ini", Bytes("x"))}, ERROR_FILE_NOT_FOUND},
        {"stub without version resource",
         testenv::BinDir() + L"test_payload.exe",
         {Entry(L"a.ini", Bytes("x"))},
         ERROR_RESOURCE_TYPE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::wstring error;
        EXPECT_EQ(CPayloadWriter::WritePackage(c.stub, pkg, c.entries, error), c.code);
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(Tree(dir.Path()).empty()) << "left behind: " << Narrow(*Tree(dir.Path()).begin());
    }

    // An older package under the same name stays as it was.
    testenv::WriteFileText(pkg, "older package");
    std::wstring error;
    EXPECT_EQ(CPayloadWriter::WritePackage(Stub(), pkg, {missingSource}, error),
              static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(Tree(dir.Path()), std::set<std::wstring>{L"pkg.exe"});
    EXPECT_EQ(testenv::ReadFileText(pkg), "older package");
    // A good build replaces it.
    EXPECT_EQ(CPayloadWriter::WritePackage(Stub(), pkg, {Entry(L"a.ini", Bytes("x"))}, error), 0u);
    EXPECT_EQ(Tree(dir.Path()), std::set<std::wstring>{L"pkg.exe"});
    EXPECT_EQ(COrloVersionInfoUpdater().ReadStamp(pkg), FileSize(Stub()));
}
