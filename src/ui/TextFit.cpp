#include "ui/TextFit.h"

#include <algorithm>

#include "util/Handles.h"

std::wstring FitTextToSize(const std::wstring& text, int width, int height,
                           const std::function<SIZE(const std::wstring&)>& extent, int mode)
{
    if (width <= 0) {
        return text;  // a control without area: nothing to measure against
    }
    const SIZE whole = extent(text);
    std::wstring result = text;
    if (whole.cx < width / 5) {
        const int blanks = width * (20 - static_cast<int>(whole.cx * 100LL / width)) / 100;
        result.append(static_cast<size_t>(std::max(blanks, 0)), L' ');
    }
    if (whole.cx <= width) {
        return result;
    }
    const int lines = std::max(whole.cy > 0 ? height / static_cast<int>(whole.cy) : 1, 1);
    const int ellipsis = static_cast<int>(extent(L"...").cx);
    const int available = lines * width - (6 * lines + ellipsis);
    if (whole.cx < available) {
        return text;  // wraps, but all of it fits on the lines the control has
    }
    size_t kept = 0;
    for (size_t length = 1; length <= text.size(); ++length) {
        if (extent(text.substr(0, length)).cx >= available) {
            break;
        }
        kept = length;
    }
    const std::wstring prefix = text.substr(0, kept);
    return mode == kFitEllipsisBefore ? L"..." + prefix : prefix + L"...";
}

std::wstring FitTextToControl(const std::wstring& text, HWND control, int mode)
{
    RECT client{};
    if (control == nullptr || !::GetClientRect(control, &client)) {
        return text;
    }
    HDC dc = ::GetDC(control);
    if (dc == nullptr) {
        return text;
    }
    auto font = reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0));
    HGDIOBJ previous = font != nullptr ? ::SelectObject(dc, font) : nullptr;
    const auto extent = [dc](const std::wstring& part) {
        SIZE size{};
        ::GetTextExtentPoint32W(dc, part.c_str(), static_cast<int>(part.size()), &size);
        return size;
    };
    std::wstring fitted = FitTextToSize(text, client.right - client.left, client.bottom - client.top, extent, mode);
    if (previous != nullptr) {
        ::SelectObject(dc, previous);
    }
    ::ReleaseDC(control, dc);
    return fitted;
}

void SetFittedText(HWND control, const std::wstring& text, int mode)
{
    if (control != nullptr) {
        ::SetWindowTextW(control, FitTextToControl(text, control, mode).c_str());
    }
}
