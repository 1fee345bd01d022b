#pragma once
// A small extractor over Cabinet.dll FDI for the builder's tests: reads parts that start with "ORLO"
// (swapping the magic back while FDI reads) and records how often each stored name was written.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace fditest {

struct Extracted {
    int copies = 0; // copy-file notifications for this stored name
    uint16_t attributes = 0;
    uint16_t date = 0;
    uint16_t time = 0;
};

struct Result {
    std::map<std::wstring, Extracted> files; // by stored name
    std::vector<std::wstring> cabinetsOpened;
    bool magicRefused = false; // a cabinet did not begin with "ORLO"
    std::wstring error;
};

// Runs FDICopy over every cabinet of `cabinets` (file names inside `folder`, which ends with "\")
// in order, writing into `target` (ends with "\"). False with result.error set on failure.
bool ExtractSet(const std::wstring& folder, const std::vector<std::wstring>& cabinets, const std::wstring& target,
                Result& result);

} // namespace fditest
