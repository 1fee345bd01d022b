#pragma once
// COrloVersionInfoUpdater: the payload-offset stamp in an executable's version resource
// (the dwFileSubtype field of VS_FIXEDFILEINFO of the block GetFileVersionInfoW returns).
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// The stamp inside a version block as GetFileVersionInfoW returns it; 0 when the block is too short.
uint32_t ReadStampFromVersionBlock(const uint8_t* block, size_t size);

class COrloVersionInfoUpdater {
public:
    virtual ~COrloVersionInfoUpdater() = default;
    // The stamp of `file`; 0 without a version resource.
    uint32_t ReadStamp(const std::wstring& file) const;
    // Writes the stamp into `file` in place (the version block the reader would pick: the
    // language-neutral one when present, else the first). Returns 0 or a Win32 error code.
    DWORD WriteStamp(const std::wstring& file, uint32_t stamp) const;
};

// Pure part of WriteStamp: the file offset of the stamp field in a PE image's bytes, or 0 when the
// image has no usable version resource.
uint64_t FindStampFileOffset(const std::vector<uint8_t>& image);
