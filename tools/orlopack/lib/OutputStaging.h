#pragma once
// A package is made in a staging folder inside the output folder and moved into place at the end,
// so that a failed build leaves nothing under the final names and an earlier package stays whole.
#include <cstdint>
#include <string>
#include <vector>

namespace orlopack {

class OutputStaging {
public:
    OutputStaging() = default;
    ~OutputStaging(); // removes the staging folder and whatever is still in it
    OutputStaging(const OutputStaging&) = delete;
    OutputStaging& operator=(const OutputStaging&) = delete;

    // Creates the output folder (with parents) and a fresh staging folder in it.
    bool Create(const std::wstring& outputFolder, std::wstring& error);
    const std::wstring& Folder() const { return m_folder; } // ends with "\"
    const std::wstring& Output() const { return m_output; } // ends with "\"

    // Moves the staged files (names inside the staging folder) to the same names in the output
    // folder, replacing files there. On failure every file already replaced is put back.
    bool Commit(const std::vector<std::wstring>& names, std::wstring& error);

private:
    std::wstring m_output;
    std::wstring m_folder;
};

bool ReadWholeFile(const std::wstring& path, std::vector<uint8_t>& bytes, std::wstring& error);
bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& bytes, std::wstring& error);

} // namespace orlopack
