#pragma once
// CFileOverwrite: asks whether an existing file may be overwritten during extraction. Five answers
// (Yes, Yes to All, No, No to All, Cancel), each an owner-drawn button in one centred row.
#include <windows.h>

#include <string>

class COrloSheet;

class CFileOverwrite {
public:
    CFileOverwrite(COrloSheet& sheet, std::wstring fileName);
    // The answer, 1000 (Yes) to 1004 (Cancel).
    int DoModal();

private:
    COrloSheet& m_sheet;
    std::wstring m_fileName;
    int m_answer = 1004;
};
