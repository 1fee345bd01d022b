#pragma once
// Reading a cabinet's header, folder and file records without decompressing anything: what list
// and verify show, and what the tests check the writer against.
#include <cstdint>
#include <string>

#include "cabinet/CabFormat.h"

namespace orlopack {

// The format rules are the front end's: what verify calls sound is what the front end reads.
using ::CabinetFileRecord;
using ::CabinetFolder;
using ::CabinetInfo;
using ::ParseCabinetHeader;

// Reads and parses the header of a cabinet file, or of a cabinet of `length` bytes that starts at
// `offset` inside a file (the cabinet in a single-file package). False with `error` set.
bool ReadCabinetHeader(const std::wstring& path, CabinetInfo& info, std::wstring& error);
bool ReadCabinetHeaderAt(const std::wstring& path, uint64_t offset, uint64_t length, CabinetInfo& info,
                         std::wstring& error);

} // namespace orlopack
