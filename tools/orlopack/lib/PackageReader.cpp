// Payload walk for list and verify.
#include "PackageReader.h"

#include <windows.h>

#include <cstring>

#include "SourceTree.h"
#include "settings/Payload.h"
#include "settings/PeSignature.h"
#include "util/Handles.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/WideFormat.h"
#include "version/VersionInfoUpdater.h"

namespace orlopack {

namespace {

std::wstring SystemText(DWORD code)
{
    return TrimW(CUtil::FormatErrorText(code));
}

bool ReadAt(HANDLE file, uint64_t offset, void* buffer, DWORD size, DWORD& read)
{
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    read = 0;
    return ::SetFilePointerEx(file, position, nullptr, FILE_BEGIN) && ::ReadFile(file, buffer, size, &read, nullptr);
}

} // namespace

bool ReadPackage(const std::wstring& path, PackageContents& contents, std::wstring& error)
{
    contents = PackageContents{};
    contents.path = path;
    UniqueFileHandle file(
        ::CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) {
        const DWORD code = ::GetLastError();
        error = FormatW(L"cannot open the package %ls: %ls", path.c_str(), SystemText(code).c_str());
        return false;
    }
    LARGE_INTEGER size{};
    ::GetFileSizeEx(file.Get(), &size);
    contents.fileSize = static_cast<uint64_t>(size.QuadPart);
    contents.payloadOffset = COrloVersionInfoUpdater().ReadStamp(path);
    if (contents.payloadOffset == 0) {
        error = FormatW(L"%ls carries no payload offset in its version resource: it is not a package", path.c_str());
        return false;
    }
    if (contents.payloadOffset >= contents.fileSize) {
        error = FormatW(L"the payload offset %u of %ls lies beyond its end (%I64u bytes)", contents.payloadOffset,
                        path.c_str(), contents.fileSize);
        return false;
    }
    const CertificateTable signature = ReadCertificateTable(file.Get());
    contents.signatureOffset = signature.offset;
    contents.signatureSize = signature.size;
    contents.payloadEnd = PayloadEnd(contents.fileSize, contents.payloadOffset, signature);
    // The program's own walk and name rules: an entry it would refuse ends the walk here too.
    int64_t offset = contents.payloadOffset;
    for (;;) {
        LARGE_INTEGER position;
        position.QuadPart = offset;
        if (!::SetFilePointerEx(file.Get(), position, nullptr, FILE_BEGIN)) {
            break;
        }
        const PayloadHeaderRead entry = ReadPayloadEntryHeader(file.Get(), offset);
        if (entry.result == PayloadHeaderResult::Refused) {
            contents.damage = entry.problem;
        }
        if (entry.result != PayloadHeaderResult::Entry) {
            break;
        }
        const std::wstring dataProblem = CheckPayloadEntryData(entry.header, static_cast<int64_t>(contents.payloadEnd));
        if (!dataProblem.empty()) {
            contents.damage = dataProblem;
            break;
        }
        PayloadItem item;
        item.name = entry.header.name;
        item.size = entry.header.dataSize;
        item.type = entry.header.type;
        item.dataOffset = static_cast<uint64_t>(entry.header.dataOffset);
        contents.items.push_back(item);
        offset = entry.header.dataOffset + item.size;
    }
    for (const PayloadItem& item : contents.items) {
        if (!EqualsNoCase(item.name, L"Properties_Orlo.ini")) {
            continue;
        }
        std::vector<uint8_t> data;
        std::wstring text;
        std::wstring ignored;
        if (ReadPayloadData(path, item, data, ignored) && IniDocument::DecodeText(data, text, ignored) &&
            contents.properties.Parse(text, false, ignored)) {
            contents.hasProperties = true;
        }
        break;
    }
    return true;
}

bool ReadPayloadData(const std::wstring& path, const PayloadItem& item, std::vector<uint8_t>& data, std::wstring& error)
{
    UniqueFileHandle file(
        ::CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    data.resize(item.size);
    DWORD read = 0;
    if (!file ||
        (item.size != 0 && (!ReadAt(file.Get(), item.dataOffset, data.data(), item.size, read) || read != item.size))) {
        const DWORD code = ::GetLastError();
        error = FormatW(L"cannot read %ls from %ls: %ls", item.name.c_str(), path.c_str(), SystemText(code).c_str());
        return false;
    }
    return true;
}

} // namespace orlopack
