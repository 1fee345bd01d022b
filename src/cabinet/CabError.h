#pragma once
// CError: the error record of the cabinet engine. The library (FDI) fills its first three fields,
// which are laid out as the library's ERF; the engine may override them with codes of its own.
// GetText folds the engine's codes into the record, so it must run before GetCode.
#include <windows.h>

#include <fdi.h>

#include <string>

#include "cabinet/CabStrings.h"

// Codes the engine sets itself (the library's own codes are 1 to 11).
constexpr int kCabErrorNotCabinet = 2;     // a part without the product magic
constexpr int kCabErrorTargetFile = 8;     // a target file could not be written
constexpr int kCabErrorUserAbort = 11;     // cancel confirmed or answered at the prompt
constexpr int kCabErrorLoadLibrary = 1000; // Cabinet.dll or one of its entry points missing
constexpr int kCabErrorInvalidParameters = 1002;
constexpr int kCabErrorPathTooLong = 1005;
constexpr int kCabErrorRemoveAttributes = 1011;
constexpr int kCabErrorUnsafeName = 1012; // a stored name that would leave the target folder

constexpr int kCabErrorModeDecompress = 1;

class CError {
public:
    explicit CError(int mode = kCabErrorModeDecompress) : m_mode(mode) { Clear(); }

    void Clear();
    void Set(int code, int value);
    bool HasError() const;
    // The English text of the record; folds the own code and value into the library fields.
    const wchar_t* GetText();
    int GetCode() const { return m_erf.erfOper; }
    int GetOwnCode() const { return m_ownCode; }

    // Handed to FDICreate, which fills it.
    ERF* Erf() { return &m_erf; }

    // Table text of a code in the given mode ("Unknown error" when the table has none).
    static const wchar_t* LookupText(int mode, int code);

private:
    ERF m_erf{}; // library operation code, type value, error flag: must stay first
    int m_mode;
    CStrW m_text;
    int m_ownCode = 0;
    int m_ownValue = 0;
};
