// The payload entry walk and its name rules, shared by the program and the package builder.
#include "settings/PayloadEntry.h"

#include "util/NameRules.h"
#include "util/WideFormat.h"

namespace {
uint32_t LittleEndian32(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}
} // namespace

bool IsPayloadMarker(const uint8_t* bytes, size_t size)
{
    if (bytes == nullptr || size < kPayloadMarkerBytes) {
        return false;
    }
    for (size_t i = 0; i < kPayloadMarkerBytes / 2; ++i) {
        const wchar_t expected = kPayloadMarkerText[i];
        if (bytes[2 * i] != static_cast<uint8_t>(expected & 0xFF) ||
            bytes[2 * i + 1] != static_cast<uint8_t>((expected >> 8) & 0xFF)) {
            return false;
        }
    }
    return true;
}

std::wstring CheckPayloadNameLength(uint32_t nameBytes)
{
    if (nameBytes == 0 || nameBytes % 2 != 0 || nameBytes > kPayloadMaxNameBytes) {
        return FormatW(L"Invalid payload entry name length : %lu", static_cast<unsigned long>(nameBytes));
    }
    return {};
}

std::wstring CheckPayloadEntryName(uint32_t nameBytes, const std::wstring& name)
{
    std::wstring reason = CheckPayloadNameLength(nameBytes);
    if (!reason.empty()) {
        return reason;
    }
    if (name.size() * 2 != nameBytes || !IsPlainFileName(name)) {
        return FormatW(L"Invalid payload entry name : %ls", name.c_str());
    }
    return {};
}

PayloadHeaderRead ReadPayloadEntryHeader(const PayloadByteReader& reader, int64_t at)
{
    PayloadHeaderRead read;
    PayloadEntryHeader& header = read.header;
    header.start = at;
    uint8_t marker[kPayloadMarkerBytes];
    DWORD error = 0;
    if (!reader(marker, sizeof(marker), read.markerBytes, error)) {
        read.error = error;
        read.result = PayloadHeaderResult::ReadError;
        return read;
    }
    if (read.markerBytes < sizeof(marker)) {
        read.error = error;
        read.result = PayloadHeaderResult::EndOfFile;
        return read;
    }
    if (!IsPayloadMarker(marker, sizeof(marker))) {
        read.result = PayloadHeaderResult::End;
        return read;
    }
    at += sizeof(marker);
    // Every field is checked against what the file still holds before it is used.
    auto readField = [&](void* out, DWORD size) {
        DWORD got = 0;
        if (!reader(out, size, got, error)) {
            read.error = error;
            read.result = PayloadHeaderResult::ReadError;
            return false;
        }
        if (got != size) {
            read.problem = FormatW(L"Truncated payload entry at offset : %I64d", static_cast<long long>(header.start));
            read.result = PayloadHeaderResult::Refused;
            return false;
        }
        at += size;
        return true;
    };
    uint8_t field[4] = {};
    if (!readField(field, 4)) {
        return read;
    }
    const uint32_t nameBytes = LittleEndian32(field);
    read.problem = CheckPayloadNameLength(nameBytes);
    if (!read.problem.empty()) {
        read.result = PayloadHeaderResult::Refused;
        return read;
    }
    uint8_t name[kPayloadMaxNameBytes];
    if (!readField(name, nameBytes)) {
        return read;
    }
    // One code unit per two bytes, whatever the width of wchar_t.
    header.name.resize(nameBytes / 2);
    for (size_t i = 0; i < header.name.size(); ++i) {
        header.name[i] = static_cast<wchar_t>(name[2 * i] | (name[2 * i + 1] << 8));
    }
    read.problem = CheckPayloadEntryName(nameBytes, header.name);
    if (!read.problem.empty()) {
        read.result = PayloadHeaderResult::Refused;
        return read;
    }
    if (!readField(field, 4)) {
        return read;
    }
    header.dataSize = LittleEndian32(field);
    if (!readField(field, 2)) {
        return read;
    }
    header.type = static_cast<uint16_t>(field[0] | (field[1] << 8));
    header.dataOffset = at;
    read.result = PayloadHeaderResult::Entry;
    return read;
}

std::wstring CheckPayloadEntryData(const PayloadEntryHeader& header, int64_t payloadEnd)
{
    const int64_t available = payloadEnd - header.dataOffset;
    if (static_cast<int64_t>(header.dataSize) > available) {
        return FormatW(L"Truncated payload entry : %ls Data size : %lu, Available : %I64d", header.name.c_str(),
                       static_cast<unsigned long>(header.dataSize), static_cast<long long>(available));
    }
    return {};
}
