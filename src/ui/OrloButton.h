#pragma once
// COrloButton: the wizard's owner-drawn rounded button (navigation buttons, Browse, the overwrite
// answers). It draws itself in one of three looks (normal, focused, hover), follows the mouse, and
// reports a click to its notify window as UM_BUTTON_CLICKED with its control id.
#include <windows.h>

#include <string>
#include <vector>

#include "ui/ButtonLook.h"
#include "util/Handles.h"

class COrloButton {
public:
    COrloButton(std::wstring caption, HWND notifyWindow);
    ~COrloButton();
    COrloButton(const COrloButton&) = delete;
    COrloButton& operator=(const COrloButton&) = delete;

    // A visible child with tab stop at `rect` (parent client coordinates).
    bool Create(HWND parent, int id, const RECT& rect);
    HWND Window() const { return m_window; }
    int Id() const { return m_id; }

    // A caption equal to the current one but for letter case changes nothing.
    void SetCaption(const std::wstring& caption);
    const std::wstring& Caption() const { return m_caption; }
    void SetBackgroundColour(COLORREF colour);
    void SetEnabledState(bool enabled);
    bool EnabledState() const { return m_enabled; }
    void SetFocusedFlag(bool focused);
    bool FocusedFlag() const { return m_look.focused; }

    // Reports a click as the mouse does (keyboard activation); nothing while disabled.
    void Click();

    void NormalLook(COLORREF face = kButtonFace);
    void FocusedLook();
    void HoverLook();
    bool Hovered() const { return m_hover; }
    // True while the button holds the focused look given by its owner (hover aside).
    bool HasFocusRole() const { return m_focusRole; }

    // The button object behind a window, or null for any other window.
    static COrloButton* FromWindow(HWND window);
    // Ids whose clicks are reported; others send nothing.
    static bool ReportsClicks(int id);

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self) noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    void ApplyLook(const ButtonLook& look);
    void Paint(HDC dc);
    void OnMouseMove(LPARAM lParam);
    void OnMouseLeave();
    void OnButtonUp(LPARAM lParam);
    bool ContainsClientPoint(LPARAM lParam) const;

    std::wstring m_caption;
    HWND m_notify = nullptr;
    HWND m_window = nullptr;
    int m_id = 0;
    ButtonLook m_look;
    COLORREF m_background = RGB(255, 255, 255);
    bool m_enabled = true;
    bool m_hover = false;
    bool m_focusRole = false;
    bool m_pressed = false;
    bool m_tracking = false;
    bool m_rerender = true;
    SIZE m_renderedSize{0, 0};
    std::vector<uint32_t> m_pixels;  // cached face of the current look and size
    UniqueGdiObject m_font;
};
