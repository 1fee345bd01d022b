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

bool IsMarker(const uint8_t* bytes)
{
    for (size_t i = 0; i < kPayloadMarkerBytes / 2; ++i) {
        const wchar_t c = static_cast<wchar_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        if (c != kPayloadMarkerText[i]) {
            return false;
        }
    }
    return true;
}

uint32_t U32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

} // namespace

bool ReadPackage(const std::wstring& path, PackageContents& contents, std::wstring& error)
{
    contents = PackageContents{};
    contents.path = path;
    UniqueFileHandle file(
        ::CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
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
    uint64_t offset = contents.payloadOffset;
    for (;;) {
        uint8_t head[kPayloadMarkerBytes + 4];
        DWORD read = 0;
        if (!ReadAt(file.Get(), offset, head, sizeof(head), read) || read < kPayloadMarkerBytes || !IsMarker(head)) {
            break;
        }
        if (read < sizeof(head)) {
            contents.damage = FormatW(L"the payload entry at offset %I64u is cut short", offset);
            break;
        }
        const uint32_t nameBytes = U32(head + kPayloadMarkerBytes);
        if (nameBytes == 0 || nameBytes % 2 != 0 || nameBytes > kPayloadMaxNameBytes) {
            contents.damage =
                FormatW(L"the payload entry at offset %I64u has a bad name length (%u)", offset, nameBytes);
            break;
        }
        std::vector<uint8_t> rest(nameBytes + 6);
        if (!ReadAt(file.Get(), offset + sizeof(head), rest.data(), static_cast<DWORD>(rest.size()), read) ||
            read != rest.size()) {
            contents.damage = FormatW(L"the payload entry at offset %I64u is cut short", offset);
            break;
        }
        PayloadItem item;
        for (uint32_t i = 0; i < nameBytes; i += 2) {
            item.name += static_cast<wchar_t>(rest[i] | (rest[i + 1] << 8));
        }
        item.size = U32(rest.data() + nameBytes);
        item.type = static_cast<uint16_t>(rest[nameBytes + 4] | (rest[nameBytes + 5] << 8));
        item.dataOffset = offset + sizeof(head) + rest.size();
        if (item.dataOffset + item.size > contents.payloadEnd) {
            contents.damage = FormatW(L"the payload entry %ls is cut short: %u bytes announced, %I64u present",
                                      item.name.c_str(), item.size, contents.payloadEnd - item.dataOffset);
            break;
        }
        contents.items.push_back(item);
        offset = item.dataOffset + item.size;
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
        ::CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
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
