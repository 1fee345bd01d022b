#pragma once
// The cabinet file format over plain bytes: header, folder and file records, data-block headers and
// the data-block checksum. The front end's reader and the package builder's list and verify share
// these rules.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr uint16_t kCabFlagPrevious = 0x0001;
constexpr uint16_t kCabFlagNext = 0x0002;
constexpr uint16_t kCabFlagReserve = 0x0004;
// Folder index values of a file that spans cabinets.
constexpr uint16_t kFolderContinuedFromPrevious = 0xFFFD;
constexpr uint16_t kFolderContinuedToNext = 0xFFFE;
constexpr uint16_t kFolderContinuedBoth = 0xFFFF;
// Folder compression types (low nibble of the type word).
constexpr uint16_t kCabCompressionMask = 0x000F;
constexpr uint16_t kCabCompressionNone = 0;
constexpr uint16_t kCabCompressionMsZip = 1;

constexpr size_t kCabFixedHeaderSize = 36;
constexpr size_t kCabDataHeaderSize = 8;          // checksum, compressed and uncompressed size
constexpr size_t kCabMaxBlockSize = 32768 + 6144; // uncompressed limit plus what MSZIP may add

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
    uint16_t headerReserve = 0;
    uint8_t folderReserve = 0;
    uint8_t dataReserve = 0;
    std::string previousCabinet;
    std::string previousDisk;
    std::string nextCabinet;
    std::string nextDisk;
    std::vector<CabinetFolder> folders;
    std::vector<CabinetFileRecord> files;

    std::string Magic() const { return std::string(magic, 4); }
    bool KnownVersion() const { return versionMajor == 1 && versionMinor == 3; }
};

// Parses the bytes at the start of a cabinet (any magic). Returns 0 when parsed, a positive number
// of bytes needed when `size` is too short, or -1 with `error` set when the data is no cabinet.
int64_t ParseCabinetHeader(const uint8_t* data, size_t size, CabinetInfo& info, std::wstring& error);

struct CabDataBlock {
    uint32_t checksum = 0; // 0: none recorded
    uint16_t compressedSize = 0;
    uint16_t uncompressedSize = 0; // 0: the block goes on in the next cabinet
};
// The block header at `data` (kCabDataHeaderSize bytes).
CabDataBlock ParseDataBlockHeader(const uint8_t* data);

// The cabinet checksum of `size` bytes, continuing from `seed`.
uint32_t CabChecksum(const uint8_t* data, size_t size, uint32_t seed);
// The checksum a data block should record: over its data, then over its two size fields and its
// reserve (`header` holds the block header followed by `reserve` bytes).
uint32_t DataBlockChecksum(const uint8_t* header, size_t reserve, const uint8_t* data, size_t size);
