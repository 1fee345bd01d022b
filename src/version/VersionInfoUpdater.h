#pragma once
// COrloVersionInfoUpdater: the payload-offset stamp in an executable's version resource
// (the dwFileSubtype field of VS_FIXEDFILEINFO of the block GetFileVersionInfoW returns).
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// Byte position of the stamp inside a version block (header, "VS_VERSION_INFO", padding, then the
// fixed file information whose dwFileSubtype lies at byte 40).
constexpr size_t kStampFieldInFixedInfo = 40;

// The stamp inside a version block as GetFileVersionInfoW returns it; 0 when the block is too short
// or holds no fixed file information.
uint32_t ReadStampFromVersionBlock(const uint8_t* block, size_t size);
// Position of the stamp field inside such a block, or 0 when the block has no fixed file information.
size_t StampPositionInVersionBlock(const uint8_t* block, size_t size);

class COrloVersionInfoUpdater {
public:
    virtual ~COrloVersionInfoUpdater() = default;
    // The stamp of `file`; 0 without a version resource.
    uint32_t ReadStamp(const std::wstring& file) const;
    // Writes the stamp into `file` in place (the version block the reader would pick: the
    // language-neutral one when present, else the first) and reads it back through the version
    // functions. Returns 0 or a Win32 error code.
    DWORD WriteStamp(const std::wstring& file, uint32_t stamp) const;
};

// Pure part of WriteStamp: the file offset of the stamp field in a PE image's bytes, or 0 when the
// image has no usable version resource.
uint64_t FindStampFileOffset(const std::vector<uint8_t>& image);
