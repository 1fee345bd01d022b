#pragma once
// verify's second half: the program's own checks, run on the package in a scratch folder. What
// passes here is what the program itself unpacks, accepts and extracts.
#include <cstdint>
#include <string>
#include <vector>

#include "OrloPack.h"

namespace orlopack {

// Unpacks the settings with the program's payload reader, checks the parts as the program does
// before it extracts (names, presence, MD5, headers), and decompresses the whole cabinet set with
// the program's engine into a scratch folder below TEMP, which is removed again. `unpackedBytes`
// is what the files need. Uses the process-wide settings and validator objects.
std::vector<OutputLine> RunFrontEndChecks(const std::wstring& packagePath, uint32_t payloadOffset,
                                          uint64_t unpackedBytes);

} // namespace orlopack
