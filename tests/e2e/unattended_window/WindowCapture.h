#pragma once
// Screenshots of another process's window, taken from the screen, saved as PNG through GDI+.
#include <windows.h>

#include <string>

struct CaptureResult {
    bool saved = false;
    int width = 0;
    int height = 0;
    int distinctColours = 0; // among the captured pixels, counted up to 64
    std::string error;
};

// Copies the screen area of `window`'s client area (the window must be visible and on top) and
// writes it to `pngPath`.
CaptureResult CaptureWindowToPng(HWND window, const std::wstring& pngPath);
