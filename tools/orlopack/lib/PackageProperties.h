#pragma once
// The keys of Properties_Orlo.ini that the builder owns, written over the author's template.
#include <cstdint>
#include <string>
#include <vector>

#include "IniDocument.h"

namespace orlopack {

struct BuilderKeys {
    bool multiPart = true;
    std::wstring baseName;
    uint16_t setId = 0;
    std::vector<std::wstring> partStamps; // [PartFileIno] values, one per part
    std::vector<std::wstring> partHashes; // [HashCode] values, one per part
    uint64_t packageSize = 0;
    uint64_t cabinetSize = 0;
    uint32_t fileCount = 0;
    std::wstring topImage; // entry names of packed images; empty: key left alone
    std::wstring bottomImage;
};

// Writes the builder's keys into `doc`. Every template value that is replaced by a different one
// gets a notice, so that an author is not surprised that his value is gone.
void ApplyBuilderKeys(IniDocument& doc, const BuilderKeys& keys, std::vector<std::wstring>& notices);

} // namespace orlopack
