#include "ui/FileOverwrite.h"

#include <utility>

#include "ui/MessageBox.h"
#include "util/ProcessContext.h"

// Interim form of the prompt until its own dialog lands: Yes, No or Cancel for this one file.
CFileOverwrite::CFileOverwrite(COrloSheet& sheet, std::wstring fileName) : m_sheet(sheet), m_fileName(std::move(fileName)) {}

int CFileOverwrite::DoModal()
{
    const int pressed = DoMessageBox(m_fileName, MB_YESNOCANCEL);
    m_answer = pressed == IDYES ? kOverwriteYes : pressed == IDNO ? kOverwriteNo : kOverwriteCancel;
    return m_answer;
}
