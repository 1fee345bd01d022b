#include "cabinet/CabError.h"

#include <cstddef>

#include "util/WideFormat.h"

namespace {
struct ErrorRow {
    int code;
    const wchar_t* text;
};

// Decompression texts. The codes 1001, 1003, 1004 and 1006 to 1010 are set by nothing and have no row.
constexpr ErrorRow kDecompressTexts[] = {
    {0, L"Success"},
    {1, L"Cabinet file (or part of splitted CAB) not found"},
    {2, L"The file is not a cabinet"},
    {3, L"Unknown cabinet version"},
    {4, L"Corrupt cabinet"},
    {5, L"Memory allocation failed"},
    {6, L"Unknown compression type"},
    {7, L"Failure decompressing data"},
    {8, L"Failure writing to target file"},
    {9, L"Cabinets in set have different RESERVE sizes"},
    {10, L"Cabinet returned on fdintNEXT_CABINET is incorrect"},
    {11, L"User aborted extraction"},
    {1000, L"Could not load Cabinet.dll"},
    {1002, L"Invalid parameters passed to extraction function"},
    {1005, L"The path is too long. (Max 260 characters are allowed)."},
    {1011, L"Could not remove attributes of the file"},
    {1012, L"The cabinet holds a file name outside the extraction folder"},
};
} // namespace

void CError::Clear()
{
    m_erf.erfOper = 0;
    m_erf.erfType = 0;
    m_erf.fError = FALSE;
    m_ownCode = 0;
    m_ownValue = 0;
}

void CError::Set(int code, int value)
{
    m_ownCode = code;
    m_ownValue = value;
}

bool CError::HasError() const
{
    return m_erf.fError != FALSE || m_ownValue != 0 || m_ownCode != 0;
}

const wchar_t* CError::LookupText(int mode, int code)
{
    if (mode == kCabErrorModeDecompress) {
        for (const ErrorRow& row : kDecompressTexts) {
            if (row.code == code) {
                return row.text;
            }
        }
    }
    return L"Unknown error";
}

const wchar_t* CError::GetText()
{
    if (!HasError()) {
        m_text = L"Success";
        return m_text.c_str();
    }
    if (m_ownCode != 0) {
        m_erf.erfOper = m_ownCode;
    }
    if (m_ownValue != 0) {
        m_erf.erfType = m_ownValue;
    }
    const wchar_t* text = LookupText(m_mode, m_erf.erfOper);
    if (m_erf.erfType == 0) {
        m_text = text;
    } else {
        m_text.Format(L"Error %ls: %d", text, m_erf.erfType);
    }
    return m_text.c_str();
}
