#pragma once
// Makes a cabinet set with the platform's cabinet library (FCI) and marks every part with the
// product magic. All file access of the library goes through our callbacks, so paths may be long
// and hold any characters.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "OrloPack.h"

namespace orlopack {

struct CabinetEntry {
    std::wstring sourcePath; // file to store
    std::string storedName;  // bytes of the stored name: ASCII, or UTF-8 with kCabNameIsUtf8 set
    uint64_t size = 0;       // size found when the tree was scanned; a file that changed fails the build
    uint16_t date = 0;       // MS-DOS date and time
    uint16_t time = 0;
    uint16_t attributes = 0; // cabinet attribute word
};

struct CabinetSetOptions {
    std::wstring folder;     // where the cabinets are written (exists)
    std::wstring baseName;   // multi-part: "Name" gives Name.001, Name.002, ...
    std::wstring singleName; // single-file: the one cabinet's file name; spanning is an error
    uint64_t partSize = 0;   // largest size of one cabinet
    Compression compression = Compression::MsZip;
    uint16_t setId = 0;
    std::function<void(uint64_t bytesDone)> progress; // optional: uncompressed bytes consumed so far
};

struct CabinetSetResult {
    std::vector<std::wstring> cabinetPaths; // in set order
};

// Writes the set and marks every part (PatchPartHeader). False with `error` set on failure;
// cabinets already written stay in `folder` (the caller's staging folder).
bool WriteCabinetSet(const std::vector<CabinetEntry>& entries, const CabinetSetOptions& options,
                     CabinetSetResult& result, std::wstring& error);

// Marks one cabinet as a part: "ORLO" over "MSCF" and the cabinet index (part number minus 1) in its
// header. Returns false when the file does not begin with "MSCF".
bool PatchPartHeader(const std::wstring& path, uint16_t cabinetIndex, std::wstring& error);

} // namespace orlopack
