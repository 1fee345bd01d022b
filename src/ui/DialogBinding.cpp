#include "ui/DialogBinding.h"

#include <prsht.h>

CDialogBinding* CDialogBinding::FromWindow(HWND window)
{
    return window != nullptr ? reinterpret_cast<CDialogBinding*>(::GetWindowLongPtrW(window, DWLP_USER)) : nullptr;
}

INT_PTR CALLBACK CDialogBinding::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    return Dispatch(window, message, wParam, lParam,
                    message == WM_INITDIALOG ? reinterpret_cast<CDialogBinding*>(lParam) : nullptr);
}

INT_PTR CALLBACK CDialogBinding::PageDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    CDialogBinding* created = nullptr;
    if (message == WM_INITDIALOG && lParam != 0) {
        created = reinterpret_cast<CDialogBinding*>(reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
    }
    return Dispatch(window, message, wParam, lParam, created);
}

INT_PTR CDialogBinding::Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                 CDialogBinding* created) noexcept
{
    CDialogBinding* self = created != nullptr ? created : FromWindow(window);
    if (created != nullptr) {
        ::SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(created));
        created->m_window = window;
    }
    if (self == nullptr) {
        return FALSE;
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, DWLP_USER, 0);
        self->m_window = nullptr;
        return FALSE;
    }
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}
