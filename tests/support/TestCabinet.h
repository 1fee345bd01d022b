#pragma once
// A small cabinet-set writer for tests: stored (uncompressed) data, one folder spanning the whole
// set, and full control over what real builders never write (hostile names, odd attributes, a wrong
// magic, set id or cabinet index, another recorded base name).
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testcab {

struct File {
    std::string storedName; // bytes as stored: UTF-8 when attributes carry 0x80, else single bytes
    std::vector<uint8_t> data;
    uint16_t attributes = 0x20;
    uint16_t date = (2019 - 1980) << 9 | 7 << 5 | 14; // 14 Jul 2019
    uint16_t time = 13 << 11 | 45 << 5 | 30 / 2;      // 13:45:30
};

struct SetOptions {
    std::wstring folder;             // where the parts go, ends with "\"
    std::wstring baseName = L"Pack"; // parts are base + ".001", ".002", ...
    std::string recordedBase;        // base recorded in the headers for prev/next; default: baseName
    uint16_t setId = 4711;
    size_t dataPerCabinet = 0; // file bytes per cabinet; 0: everything in one cabinet
    bool productMagic = true;  // "ORLO" instead of "MSCF"
    int indexOffset = 0;       // added to every header's cabinet index
    std::wstring singleName;   // name of a one-cabinet set instead of base + ".001"
};

// Writes the set; returns the part paths in order.
std::vector<std::wstring> WriteSet(const SetOptions& options, const std::vector<File>& files);

// Deterministic pseudo-random bytes.
std::vector<uint8_t> Bytes(size_t size, uint32_t seed);
File MakeFile(const std::string& storedName, size_t size, uint32_t seed);

} // namespace testcab
