#pragma once
// Writes packages: a copy of the stub executable with its payload offset stamped into the version
// resource, followed by payload entries. Used by the package builder and the tests.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct PayloadEntry {
    std::wstring name;         // file name only
    uint16_t type = 200;       // 200 settings file, 100 package data
    std::wstring sourcePath;   // the data is this file's content when not empty...
    std::vector<uint8_t> data; // ...else these bytes
};

// Serialises one entry header (marker, name length, name, data size, type). No checks: tests use it
// to build refused entries too.
std::vector<uint8_t> EncodePayloadEntryHeader(const std::wstring& name, uint32_t dataSize, uint16_t type);

class CPayloadWriter {
public:
    // Copies `stub` to `output`, stamps the payload offset (the stub's size) and appends `entries`.
    // Entry names must pass the reader's name rules, settings entries must come before package data.
    // Returns 0 or a Win32 error code; `error` receives a readable reason. The package is built under
    // a temporary name beside `output` and renamed at the end: a failed write leaves no partial file
    // under `output` (an older file there stays as it was) and no temporary file behind.
    static DWORD WritePackage(const std::wstring& stub, const std::wstring& output,
                              const std::vector<PayloadEntry>& entries, std::wstring& error);
    // Appends entries to an existing file (no stamping, no name or order checks); for tests that
    // build odd payloads.
    static DWORD AppendEntries(const std::wstring& file, const std::vector<PayloadEntry>& entries, std::wstring& error);
};
