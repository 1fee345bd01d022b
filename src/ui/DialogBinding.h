#pragma once
// The one dialog procedure of the program's dialog classes. The object arrives with WM_INITDIALOG
// (as the creation parameter of a dialog, or as the lParam of a property-sheet page), lives in
// DWLP_USER until WM_NCDESTROY, and receives every message in between; nothing thrown may escape
// into the window system.
#include <windows.h>

class CDialogBinding {
public:
    virtual ~CDialogBinding() = default;

    // The object behind a dialog window bound here; null for any other window.
    static CDialogBinding* FromWindow(HWND window);

protected:
    CDialogBinding() = default;
    CDialogBinding(const CDialogBinding&) = delete;
    CDialogBinding& operator=(const CDialogBinding&) = delete;

    // For CreateDialogParam and DialogBoxParam with `this` as the parameter.
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    // For property-sheet pages whose PROPSHEETPAGE::lParam is `this`.
    static INT_PTR CALLBACK PageDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

    HWND m_window = nullptr;

private:
    static INT_PTR Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam, CDialogBinding* created) noexcept;
};
