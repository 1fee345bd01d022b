// verify finds each kind of damage to a part and names the part.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "OrloPack.h"
#include "PackTestUtil.h"
#include "PackageReader.h"
#include "TestEnv.h"
#include "settings/PayloadWriter.h"
#include "util/StringUtil.h"

using namespace orlopack;
using packtest::TreeFile;

namespace {

constexpr uint64_t kPart = 64 * 1024;

BuildReport BuildFourParts(const testenv::ScratchDir& dir, const std::wstring& out, uint16_t setId)
{
    packtest::MakeTree(dir / L"src\\", {TreeFile{L"payload.bin", 3 * kPart + 5000, 21}, TreeFile{L"a.txt", 100, 0}});
    BuildOptions options = packtest::Options(dir / L"src", dir / out, L"Demo");
    options.partSize = kPart;
    options.setId = setId;
    BuildReport report;
    EXPECT_EQ(BuildPackage(options, report), kOk) << WideToUtf8(report.error);
    EXPECT_EQ(report.partPaths.size(), 4u);
    return report;
}

std::vector<std::wstring> Problems(const std::vector<OutputLine>& lines)
{
    std::vector<std::wstring> problems;
    for (const OutputLine& line : lines) {
        if (line.severity == 0) {
            problems.push_back(line.text);
        }
    }
    return problems;
}

std::string Joined(const std::vector<std::wstring>& lines)
{
    std::string text;
    for (const std::wstring& line : lines) {
        text += WideToUtf8(line) + "\n";
    }
    return text;
}

struct Damage {
    const char* name;
    std::function<void(const testenv::ScratchDir&, const std::wstring& out)> apply;
    const wchar_t* part;    // the part a problem line must begin with
    const wchar_t* wording; // and a word of its reason
};

void FlipByte(const std::wstring& path, size_t offset)
{
    std::vector<uint8_t> bytes = testenv::ReadFileBytes(path);
    bytes[offset] ^= 0x01;
    testenv::WriteFileBytes(path, bytes);
}

} // namespace

TEST(Verify, SoundPackagePasses)
{
    testenv::ScratchDir dir(L"verify-ok");
    const BuildReport report = BuildFourParts(dir, L"out", 100);
    std::vector<OutputLine> lines;
    EXPECT_EQ(VerifyPackage(report.packagePath, lines), kOk);
    EXPECT_TRUE(Problems(lines).empty()) << Joined(Problems(lines));
    int partLines = 0;
    for (const OutputLine& line : lines) {
        partLines += line.severity == 2 && line.text.find(L"MD5 matches") != std::wstring::npos ? 1 : 0;
    }
    EXPECT_EQ(partLines, 4);
    bool decompressed = false;
    for (const OutputLine& line : lines) {
        decompressed =
            decompressed || (line.severity == 2 && line.text.find(L"decompression test") != std::wstring::npos);
    }
    EXPECT_TRUE(decompressed) << "the program's own checks did not run";
    EXPECT_EQ(lines[1].text, L"Demo.exe: not signed");

    // The same package named with forward slashes.
    std::wstring slashed = report.packagePath;
    std::replace(slashed.begin(), slashed.end(), L'\\', L'/');
    lines.clear();
    EXPECT_EQ(VerifyPackage(slashed, lines), kOk) << Joined(Problems(lines));
}

namespace {
// Replaces every occurrence of `from` by `to` (same length) in the file's bytes; false when absent.
bool PatchBytes(const std::wstring& path, const std::string& from, const std::string& to)
{
    std::vector<uint8_t> bytes = testenv::ReadFileBytes(path);
    std::string text(bytes.begin(), bytes.end());
    size_t at = text.find(from);
    if (at == std::string::npos || from.size() != to.size()) {
        return false;
    }
    for (; at != std::string::npos; at = text.find(from, at + 1)) {
        text.replace(at, to.size(), to);
    }
    testenv::WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
    return true;
}

// Rewrites the package with its properties text changed by `edit` (the stub and the other entries stay).
bool EditProperties(const std::wstring& package, const std::function<std::wstring(std::wstring)>& edit)
{
    PackageContents contents;
    std::wstring error;
    if (!ReadPackage(package, contents, error)) {
        return false;
    }
    const std::vector<uint8_t> whole = testenv::ReadFileBytes(package);
    const std::wstring stub = package + L".stub";
    testenv::WriteFileBytes(stub, std::vector<uint8_t>(whole.begin(), whole.begin() + contents.payloadOffset));
    std::vector<PayloadEntry> entries;
    for (const PayloadItem& item : contents.items) {
        PayloadEntry entry;
        entry.name = item.name;
        entry.type = item.type;
        entry.data.assign(whole.begin() + static_cast<ptrdiff_t>(item.dataOffset),
                          whole.begin() + static_cast<ptrdiff_t>(item.dataOffset + item.size));
        if (item.name == L"Properties_Orlo.ini") {
            std::wstring text;
            IniDocument::DecodeText(entry.data, text, error);
            entry.data = IniDocument::EncodeUtf16(edit(text));
        }
        entries.push_back(std::move(entry));
    }
    const bool written = CPayloadWriter::WritePackage(stub, package, entries, error) == 0;
    ::DeleteFileW(stub.c_str());
    return written;
}
} // namespace

TEST(Verify, RefusesWhatTheProgramRefuses)
{
    struct Case {
        const char* name;
        bool singleFile;
        std::function<bool(const BuildReport&)> damage;
        const wchar_t* wording; // a problem line holds it
    };
    auto storedName = [](const char* from, const char* to) {
        return [from, to](const BuildReport& r) { return PatchBytes(r.packagePath, from, to); };
    };
    const std::vector<Case> cases = {
        {"stored folder \".. \"", true, storedName("QQQ\\x.txt", ".. \\x.txt"), L"stored name"},
        {"stored folder \"...\"", true, storedName("QQQ\\x.txt", "...\\x.txt"), L"stored name"},
        {"stored device name", true, storedName("QQQ.txt", "aux.txt"), L"stored name"},
        {"stored device folder", true, storedName("sub\\QQQ", "sub\\con"), L"stored name"},
        {"stored control character", true, storedName("Q_Q.txt", "Q\x01Q.txt"), L"stored name"},
        {"payload entry outside the temp folder", false,
         [](const BuildReport& r) {
             std::wstring error;
             return CPayloadWriter::AppendEntries(r.packagePath, {PayloadEntry{L"..\\..\\x.ulf", 200, L"", {1}}},
                                                  error) == 0;
         },
         L"Invalid payload entry name"},
        {"flipped byte in the embedded cabinet", true,
         [](const BuildReport& r) {
             PackageContents contents;
             std::wstring error;
             if (!ReadPackage(r.packagePath, contents, error) || contents.items.empty()) {
                 return false;
             }
             const PayloadItem& cab = contents.items.back();
             FlipByte(r.packagePath, static_cast<size_t>(cab.dataOffset + cab.size * 3 / 4));
             return true;
         },
         L"engine"},
        {"package size beyond any drive", false,
         [](const BuildReport& r) {
             return EditProperties(r.packagePath, [](std::wstring text) {
                 const size_t value = text.find(L"PackageSize=") + 12;
                 return text.replace(value, text.find(L'\r', value) - value, L"99999999999999999999");
             });
         },
         L"PackageSize"},
        {"image name outside the temp folder", false,
         [](const BuildReport& r) {
             return EditProperties(r.packagePath,
                                   [](std::wstring text) { return L"[Images]\r\nTopImage=..\\victim.txt\r\n" + text; });
         },
         L"TopImage"},
    };
    testenv::ScratchDir dir(L"verify-refused");
    packtest::MakeTree(dir / L"src\\",
                       {TreeFile{L"QQQ\\x.txt", 100, 0}, TreeFile{L"QQQ.txt", 100, 0}, TreeFile{L"sub\\QQQ", 100, 0},
                        TreeFile{L"Q_Q.txt", 100, 0}, TreeFile{L"payload.bin", 3 * kPart, 21}});
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        BuildOptions options = packtest::Options(dir / L"src", dir / (L"out" + std::to_wstring(i)), L"Demo");
        options.partSize = kPart;
        options.singleFile = cases[i].singleFile;
        BuildReport report;
        ASSERT_EQ(BuildPackage(options, report), kOk) << WideToUtf8(report.error);
        ASSERT_TRUE(cases[i].damage(report));
        std::vector<OutputLine> lines;
        EXPECT_EQ(VerifyPackage(report.packagePath, lines), kFailed);
        bool named = false;
        for (const std::wstring& problem : Problems(lines)) {
            named = named || problem.find(cases[i].wording) != std::wstring::npos;
        }
        EXPECT_TRUE(named) << Joined(Problems(lines));
    }
}

TEST(Verify, ReportsASignatureAndAPayloadItDoesNotCover)
{
    testenv::ScratchDir dir(L"verify-signed");
    const BuildReport report = BuildFourParts(dir, L"out", 100);
    std::vector<uint8_t> bytes = testenv::ReadFileBytes(report.packagePath);
    // The security directory entry of the PE headers, set as a signing tool sets it.
    const uint32_t optional = (bytes[0x3C] | (bytes[0x3D] << 8)) + 24;
    const uint32_t entry = optional + ((bytes[optional] | (bytes[optional + 1] << 8)) == 0x20B ? 112 : 96) + 32;
    auto sign = [&](uint32_t offset, uint32_t size) {
        for (int i = 0; i < 4; ++i) {
            bytes[entry + i] = static_cast<uint8_t>(offset >> (8 * i));
            bytes[entry + 4 + i] = static_cast<uint8_t>(size >> (8 * i));
        }
        testenv::WriteFileBytes(report.packagePath, bytes);
    };
    const uint32_t end = static_cast<uint32_t>(bytes.size());
    bytes.resize(end + 64, 0);
    sign(end, 64);
    std::vector<OutputLine> lines;
    EXPECT_EQ(VerifyPackage(report.packagePath, lines), kOk) << Joined(Problems(lines));
    EXPECT_NE(lines[1].text.find(L"signed (certificate table of 64 bytes"), std::wstring::npos);

    sign(0x400, 64); // a table in front of the payload: the payload was appended after signing
    lines.clear();
    EXPECT_EQ(VerifyPackage(report.packagePath, lines), kFailed);
    EXPECT_NE(Joined(Problems(lines)).find("the signature does not cover it"), std::string::npos);
}

TEST(Verify, FindsEachDamageAndNamesThePart)
{
    const std::vector<Damage> damages = {
        {"flipped byte in the data", [](auto& d, auto& o) { FlipByte(d / (o + L"\\Demo.002"), 20000); }, L"Demo.002",
         L"MD5"},
        {"flipped byte in the set id", [](auto& d, auto& o) { FlipByte(d / (o + L"\\Demo.003"), 32); }, L"Demo.003",
         L"set"},
        {"missing part", [](auto& d, auto& o) { ::DeleteFileW((d / (o + L"\\Demo.003")).c_str()); }, L"Demo.003",
         L"missing"},
        {"part from another set",
         [](auto& d, auto& o) {
             ::CopyFileW((d / L"other\\Demo.002").c_str(), (d / (o + L"\\Demo.002")).c_str(), FALSE);
         },
         L"Demo.002", L"another package"},
        {"part renamed to another number",
         [](auto& d, auto& o) {
             ::DeleteFileW((d / (o + L"\\Demo.002")).c_str());
             ::MoveFileW((d / (o + L"\\Demo.003")).c_str(), (d / (o + L"\\Demo.002")).c_str());
         },
         L"Demo.002", L"renamed"},
        {"truncated part",
         [](auto& d, auto& o) {
             std::vector<uint8_t> bytes = testenv::ReadFileBytes(d / (o + L"\\Demo.004"));
             bytes.resize(bytes.size() - 100);
             testenv::WriteFileBytes(d / (o + L"\\Demo.004"), bytes);
         },
         L"Demo.004", L"truncated"},
    };
    testenv::ScratchDir dir(L"verify-damage");
    BuildFourParts(dir, L"other", 200); // the other set, same names, another id
    for (size_t i = 0; i < damages.size(); ++i) {
        SCOPED_TRACE(damages[i].name);
        const std::wstring out = L"out" + std::to_wstring(i);
        const BuildReport report = BuildFourParts(dir, out, 100);
        damages[i].apply(dir, out);
        std::vector<OutputLine> lines;
        EXPECT_EQ(VerifyPackage(report.packagePath, lines), kFailed);
        const std::vector<std::wstring> problems = Problems(lines);
        bool named = false;
        for (const std::wstring& problem : problems) {
            named = named || (StartsWithNoCase(problem, std::wstring(damages[i].part) + L":") &&
                              problem.find(damages[i].wording) != std::wstring::npos);
        }
        EXPECT_TRUE(named) << Joined(problems);
    }
}

TEST(Verify, NotAPackage)
{
    testenv::ScratchDir dir(L"verify-none");
    std::vector<OutputLine> lines;
    EXPECT_EQ(VerifyPackage(testenv::BinDir() + L"OrloPack.exe", lines), kFailed);
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.front().text.find(L"payload offset"), std::wstring::npos) << WideToUtf8(lines.front().text);
    lines.clear();
    EXPECT_EQ(VerifyPackage(dir / L"nothing.exe", lines), kFailed);
    lines.clear();
    EXPECT_EQ(ListPackage(dir / L"nothing.exe", lines), kFailed);
}

TEST(Verify, WarnsOnOSEntriesTheProgramDoesNotKnow)
{
    testenv::ScratchDir dir(L"verify-os");
    packtest::MakeTree(dir / L"src\\", {TreeFile{L"a.txt", 100, 0}});
    BuildOptions options = packtest::Options(dir / L"src", dir / L"out", L"Demo");
    options.templateText += L"[OS]\r\nOSAllowed=Windows 10;Windows11+\r\n";
    BuildReport report;
    ASSERT_EQ(BuildPackage(options, report), kOk) << WideToUtf8(report.error);
    std::vector<OutputLine> lines;
    EXPECT_EQ(VerifyPackage(report.packagePath, lines), kOk) << "a warning is no problem";
    std::vector<std::wstring> warnings;
    for (const OutputLine& line : lines) {
        if (line.severity == kWarning && line.text.find(L"[OS]") != std::wstring::npos) {
            warnings.push_back(line.text);
        }
    }
    EXPECT_EQ(warnings, std::vector<std::wstring>{
                            L"Demo.exe: [OS] OSAllowed entry Windows 10 names no system the program knows; it matches "
                            L"none"});
}
