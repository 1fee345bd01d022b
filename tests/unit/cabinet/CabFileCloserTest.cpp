// Files are finished (times, attributes, close) off the extracting thread, yet all of them before
// the extraction returns, and a close that fails fails the run.
#include <windows.h>

#include "CabFixture.h"
#include "cabinet/CabFileCloser.h"

namespace {

// Nobody else holds the file open.
bool OpensAlone(const std::wstring& path)
{
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::CloseHandle(file);
    return true;
}

// Times and attributes are checked through the engine below; here what differs between the modes.
TEST(CabFileCloser, ClosesEveryFileOnItsThreadOrInlineAndReportsAFailedCloseOnce)
{
    for (const bool threaded : {true, false}) {
        SCOPED_TRACE(threaded);
        testenv::ScratchDir dir{L"closer"};
        std::vector<std::wstring> paths;
        CCabFileCloser closer(threaded);
        for (size_t i = 0; i < CCabFileCloser::kCapacity * 3; ++i) { // the hand-over waits for room
            paths.push_back(dir / std::to_wstring(i));
            const HANDLE file = ::CreateFileW(paths.back().c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                              nullptr, CREATE_NEW, 0, nullptr);
            ASSERT_NE(file, INVALID_HANDLE_VALUE);
            closer.Hand(file, FILE_BASIC_INFO{});
        }
        closer.Hand(nullptr, FILE_BASIC_INFO{}); // a close that fails
        EXPECT_FALSE(closer.Drain());
        EXPECT_TRUE(closer.Drain());
        for (const auto& path : paths) {
            EXPECT_TRUE(OpensAlone(path)) << path;
        }
    }
}

// Opens "bad.bin" protected from closing, so that its close fails as on a lost network share.
class UnclosableTarget : public TestEngine {
public:
    explicit UnclosableTarget(CabDecoder decoder) : TestEngine(nullptr, 1, decoder) {}
    HANDLE bad = nullptr;

protected:
    INT_PTR Open(const std::wstring& path, int flags, int mode) override
    {
        const INT_PTR handle = TestEngine::Open(path, flags, mode);
        if (handle != -1 && path.ends_with(L"\\bad.bin")) {
            bad = reinterpret_cast<HANDLE>(handle);
            ::SetHandleInformation(bad, HANDLE_FLAG_PROTECT_FROM_CLOSE, HANDLE_FLAG_PROTECT_FROM_CLOSE);
        }
        return handle;
    }
};

TEST_F(CabFixture, ManySmallFilesAreFinishedBeforeExtractionReturns)
{
    const struct {
        CabDecoder decoder;
        bool badClose;
    } cases[] = {{CabDecoder::Own, false}, {CabDecoder::Library, false}, {CabDecoder::Own, true}};
    for (const auto& c : cases) {
        const std::string name = c.badClose ? "bad close" : c.decoder == CabDecoder::Own ? "own" : "library";
        SCOPED_TRACE(name);
        ResetProcessContext();
        m_target = m_dir / (Utf8ToWide(name) + L"\\"); // an empty one each: nothing left from the last case
        ::CreateDirectoryW(m_target.c_str(), nullptr);
        std::vector<testcab::File> files;
        for (int i = 0; i < 300; ++i) {
            files.push_back(testcab::MakeFile("\\d" + std::to_string(i % 7) + "\\" + std::to_string(i), 50 + i, i));
            files.back().attributes = i % 3 == 0 ? 0x21 : 0x20;
            files.back().date = (2020 - 1980) << 9 | 3 << 5 | (1 + i % 28);
        }
        if (c.badClose) {
            files.back().storedName = "\\bad.bin"; // only the drain at the end can tell
        }
        UnclosableTarget engine(c.decoder);
        const int result = engine.ExtractCabinet(WriteParts(files)[0], m_target);
        if (c.badClose) {
            EXPECT_EQ(result, 8);
            EXPECT_EQ(engine.GetErrorText(), L"Failure writing to target file");
            ASSERT_NE(engine.bad, nullptr);
            ::SetHandleInformation(engine.bad, HANDLE_FLAG_PROTECT_FROM_CLOSE, 0);
            EXPECT_TRUE(::CloseHandle(engine.bad));
        } else {
            EXPECT_EQ(result, 0);
        }
        for (size_t i = 0; i < files.size(); ++i) {
            const std::wstring path = Target(Utf8ToWide(files[i].storedName.substr(1)));
            EXPECT_TRUE(OpensAlone(path)) << i;
            EXPECT_EQ(testenv::ReadFileBytes(path), files[i].data) << i;
            EXPECT_EQ(Ticks(LastWrite(path)), StoredAsUtc(files[i], false)) << i;
            EXPECT_EQ(::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY, files[i].attributes & 1u) << i;
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        }
    }
}

} // namespace
