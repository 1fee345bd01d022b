#pragma once
// Reading a cabinet's header, folder and file records without decompressing anything: what list
// and verify show, and what the tests check the writer against.
#include <cstdint>
#include <string>
#include <vector>

namespace orlopack {

constexpr uint16_t kCabFlagPrevious = 0x0001;
constexpr uint16_t kCabFlagNext = 0x0002;
constexpr uint16_t kCabFlagReserve = 0x0004;
// Folder index values of a file that spans cabinets.
constexpr uint16_t kFolderContinuedFromPrevious = 0xFFFD;
constexpr uint16_t kFolderContinuedToNext = 0xFFFE;
constexpr uint16_t kFolderContinuedBoth = 0xFFFF;

struct CabinetFolder {
    uint32_t dataOffset = 0;
    uint16_t dataBlocks = 0;
    uint16_t compression = 0; // 0 none, 1 MSZIP, ...
};

struct CabinetFileRecord {
    uint32_t size = 0;
    uint32_t folderOffset = 0;
    uint16_t folder = 0;
    uint16_t date = 0;
    uint16_t time = 0;
    uint16_t attributes = 0;
    std::string nameBytes;

    std::wstring Name() const; // UTF-8 when the name bit is set, else byte by byte
    // True for the one record of a file that the set lists where the file begins.
    bool StartsHere() const { return folder != kFolderContinuedFromPrevious && folder != kFolderContinuedBoth; }
};

struct CabinetInfo {
    char magic[4] = {};
    uint32_t cabinetSize = 0;
    uint32_t filesOffset = 0;
    uint8_t versionMinor = 0;
    uint8_t versionMajor = 0;
    uint16_t flags = 0;
    uint16_t setId = 0;
    uint16_t index = 0; // iCabinet
    std::string previousCabinet;
    std::string nextCabinet;
    std::vector<CabinetFolder> folders;
    std::vector<CabinetFileRecord> files;

    std::string Magic() const { return std::string(magic, 4); }
};

// Parses the bytes at the start of a cabinet (any magic). Returns 0 when parsed, a positive number
// of bytes needed when `size` is too short, or -1 with `error` set when the data is no cabinet.
int64_t ParseCabinetHeader(const uint8_t* data, size_t size, CabinetInfo& info, std::wstring& error);

// Reads and parses the header of a cabinet file, or of a cabinet of `length` bytes that starts at
// `offset` inside a file (the cabinet in a single-file package). False with `error` set.
bool ReadCabinetHeader(const std::wstring& path, CabinetInfo& info, std::wstring& error);
bool ReadCabinetHeaderAt(const std::wstring& path, uint64_t offset, uint64_t length, CabinetInfo& info,
                         std::wstring& error);

} // namespace orlopack
