#include "ui/OrloButton.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "ui/WizardMessages.h"
#include "util/StringUtil.h"

namespace {
constexpr UINT_PTR kSubclassId = 0x4F42;  // "OB"
constexpr wchar_t kButtonProperty[] = L"Tarvex.OrloButton";
constexpr int kReportedIds[] = {2, 1001, 1024, 1027, 1028, 1029, 12323, 12324, 12325};

HFONT CreateButtonFont()
{
    LOGFONTW font{};
    font.lfHeight = 15;
    font.lfWeight = 400;
    font.lfQuality = CLEARTYPE_QUALITY;
    ::lstrcpynW(font.lfFaceName, L"Tahoma", LF_FACESIZE);
    return ::CreateFontIndirectW(&font);
}
}  // namespace

COrloButton::COrloButton(std::wstring caption, HWND notifyWindow)
    : m_caption(std::move(caption)), m_notify(notifyWindow), m_look(NormalButtonLook())
{
}

COrloButton::~COrloButton()
{
    if (m_window != nullptr && ::IsWindow(m_window)) {
        ::RemovePropW(m_window, kButtonProperty);
        ::RemoveWindowSubclass(m_window, SubclassProc, kSubclassId);
        ::DestroyWindow(m_window);
    }
}

bool COrloButton::Create(HWND parent, int id, const RECT& rect)
{
    m_id = id;
    m_window = ::CreateWindowExW(0, WC_BUTTONW, m_caption.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW,
                                 rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr),
                                 nullptr);
    if (m_window == nullptr) {
        return false;
    }
    m_font.Reset(CreateButtonFont());
    ::SendMessageW(m_window, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), FALSE);
    ::SetPropW(m_window, kButtonProperty, this);
    ::SetWindowSubclass(m_window, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    return true;
}

COrloButton* COrloButton::FromWindow(HWND window)
{
    return window != nullptr ? static_cast<COrloButton*>(::GetPropW(window, kButtonProperty)) : nullptr;
}

bool COrloButton::ReportsClicks(int id) { return std::find(std::begin(kReportedIds), std::end(kReportedIds), id) != std::end(kReportedIds); }

void COrloButton::SetCaption(const std::wstring& caption)
{
    if (EqualsNoCase(caption, m_caption)) {
        return;
    }
    m_caption = caption;
    m_rerender = true;
    if (m_window != nullptr) {
        ::SetWindowTextW(m_window, m_caption.c_str());
        ::InvalidateRect(m_window, nullptr, FALSE);
    }
}

void COrloButton::SetBackgroundColour(COLORREF colour)
{
    m_background = colour;
    m_rerender = true;
}

void COrloButton::SetEnabledState(bool enabled)
{
    m_enabled = enabled;
    m_rerender = true;
    if (m_window != nullptr) {
        ::EnableWindow(m_window, enabled ? TRUE : FALSE);
    }
}

void COrloButton::SetFocusedFlag(bool focused)
{
    m_look.focused = focused;
    m_rerender = true;
}

void COrloButton::NormalLook(COLORREF face)
{
    m_focusRole = false;
    ApplyLook(NormalButtonLook(face));
}

void COrloButton::FocusedLook()
{
    m_focusRole = true;
    ApplyLook(FocusedButtonLook());
}

void COrloButton::HoverLook() { ApplyLook(HoverButtonLook(m_enabled)); }

void COrloButton::ApplyLook(const ButtonLook& look)
{
    m_look = look;
    m_rerender = true;
    if (m_window != nullptr) {
        ::RedrawWindow(m_window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
}

LRESULT CALLBACK COrloButton::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR self) noexcept
{
    auto* button = reinterpret_cast<COrloButton*>(self);
    if (message == WM_NCDESTROY) {
        ::RemovePropW(window, kButtonProperty);
        ::RemoveWindowSubclass(window, SubclassProc, kSubclassId);
        button->m_window = nullptr;
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
    bool handled = false;
    LRESULT result = 0;
    try {
        result = button->HandleMessage(message, wParam, lParam, handled);
    } catch (...) {
        handled = false;  // nothing may escape into the window system
    }
    return handled ? result : ::DefSubclassProc(window, message, wParam, lParam);
}

LRESULT COrloButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled)
{
    handled = true;
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        HDC dc = ::BeginPaint(m_window, &paint);
        Paint(dc);
        ::EndPaint(m_window, &paint);
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_ENABLE:
        m_enabled = wParam != FALSE;
        m_rerender = true;
        ::InvalidateRect(m_window, nullptr, FALSE);
        return 0;
    case BM_SETSTYLE:
    case BM_SETSTATE:
        // The dialog manager marks default buttons by style; the look here is ours alone.
        ::InvalidateRect(m_window, nullptr, FALSE);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_BUTTON;
    case WM_MOUSEMOVE:
        OnMouseMove(lParam);
        return 0;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return 0;
    case WM_MOUSEHOVER:
        HoverLook();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:  // a quick second click is a click too
        m_pressed = true;
        ::SetCapture(m_window);
        return 0;
    case WM_LBUTTONUP:
        OnButtonUp(lParam);
        return 0;
    case WM_CAPTURECHANGED:
        m_pressed = false;
        m_rerender = true;
        return 0;
    default:
        handled = false;
        return 0;
    }
}

bool COrloButton::ContainsClientPoint(LPARAM lParam) const
{
    RECT client{};
    ::GetClientRect(m_window, &client);
    const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    return ::PtInRect(&client, point) != FALSE;
}

void COrloButton::OnMouseMove(LPARAM lParam)
{
    if (!m_tracking) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, m_window, 0};
        m_tracking = ::TrackMouseEvent(&track) != FALSE;
    }
    if (ContainsClientPoint(lParam) && !m_hover) {
        m_hover = true;
        HoverLook();
    }
}

void COrloButton::OnMouseLeave()
{
    m_tracking = false;
    m_hover = false;
    // Back to the look the button had before the pointer came.
    if (m_focusRole) {
        FocusedLook();
    } else {
        NormalLook();
    }
}

void COrloButton::OnButtonUp(LPARAM lParam)
{
    const bool wasPressed = m_pressed;
    m_pressed = false;
    if (::GetCapture() == m_window) {
        ::ReleaseCapture();
    }
    // A press dragged off the button is no click.
    if (wasPressed && ContainsClientPoint(lParam)) {
        Click();
    }
}

void COrloButton::Click()
{
    if (m_enabled && ReportsClicks(m_id) && m_notify != nullptr) {
        ::SendMessageW(m_notify, UM_BUTTON_CLICKED, static_cast<WPARAM>(m_id), 0);
    }
}

void COrloButton::Paint(HDC target)
{
    RECT client{};
    ::GetClientRect(m_window, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0) {
        return;
    }
    if (m_rerender || m_renderedSize.cx != width || m_renderedSize.cy != height) {
        m_pixels = RenderButtonPixels(width, height, m_look, m_background);
        m_renderedSize = SIZE{width, height};
        m_rerender = false;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC memory = ::CreateCompatibleDC(target);
    UniqueGdiObject bitmap(::CreateDIBSection(target, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (memory == nullptr || !bitmap || bits == nullptr) {
        if (memory != nullptr) {
            ::DeleteDC(memory);
        }
        return;
    }
    std::copy(m_pixels.begin(), m_pixels.end(), static_cast<uint32_t*>(bits));
    HGDIOBJ oldBitmap = ::SelectObject(memory, bitmap.Get());
    HGDIOBJ oldFont = ::SelectObject(memory, m_font.Get());
    ::SetBkMode(memory, TRANSPARENT);
    ::SetTextColor(memory, m_enabled ? kButtonText : kButtonDisabledText);
    RECT textArea = client;
    ::DrawTextW(memory, m_caption.c_str(), static_cast<int>(m_caption.size()), &textArea,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ::BitBlt(target, 0, 0, width, height, memory, 0, 0, SRCCOPY);
    ::SelectObject(memory, oldFont);
    ::SelectObject(memory, oldBitmap);
    ::DeleteDC(memory);
}
