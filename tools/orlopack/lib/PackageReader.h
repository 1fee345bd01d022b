#pragma once
// Reading an existing package: its payload entries and its properties, without unpacking anything.
#include <cstdint>
#include <string>
#include <vector>

#include "IniDocument.h"

namespace orlopack {

struct PayloadItem {
    std::wstring name;
    uint16_t type = 0;
    uint32_t size = 0;
    uint64_t dataOffset = 0; // where the entry's data begins in the executable
};

struct PackageContents {
    std::wstring path;
    uint32_t payloadOffset = 0; // the stamp in the version resource
    uint64_t fileSize = 0;
    uint32_t signatureOffset = 0; // the Authenticode certificate table; 0: not signed
    uint32_t signatureSize = 0;
    uint64_t payloadEnd = 0; // the certificate table when it follows the payload, else the file's end
    std::vector<PayloadItem> items;
    std::wstring damage; // why the walk stopped early (a cut or malformed entry); empty when clean
    bool hasProperties = false;
    IniDocument properties;
};

// Walks the payload the way the front end does (from the stamped offset until the bytes are no
// longer an entry marker). False with `error` set only when the file cannot be read at all or has
// no stamp; a damaged entry ends the walk and is described in `damage`.
bool ReadPackage(const std::wstring& path, PackageContents& contents, std::wstring& error);

// The data bytes of one payload entry.
bool ReadPayloadData(const std::wstring& path, const PayloadItem& item, std::vector<uint8_t>& data,
                     std::wstring& error);

} // namespace orlopack
