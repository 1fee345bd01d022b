#pragma once
// Every label the wizard sets from a message is fitted to its control first: a short text is padded
// with blanks, a text that does not fit (on as many lines as the control holds) is cut and marked
// with "...".
#include <windows.h>

#include <functional>
#include <string>

constexpr int kFitEllipsisAfter = 1;   // "kept text..."
constexpr int kFitEllipsisBefore = 0;  // "...kept text"

// The rule over plain values: `width` and `height` of the control's client area, `extent` measures
// a text in the control's font.
std::wstring FitTextToSize(const std::wstring& text, int width, int height,
                           const std::function<SIZE(const std::wstring&)>& extent, int mode);

// Measures with the control's own font.
std::wstring FitTextToControl(const std::wstring& text, HWND control, int mode);
// SetWindowText of the fitted text.
void SetFittedText(HWND control, const std::wstring& text, int mode = kFitEllipsisAfter);
