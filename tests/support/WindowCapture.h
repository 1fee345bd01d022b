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

enum class CaptureArea { Client, Window };

// Copies the screen area of `window`'s client area or whole rectangle, frame and caption included
// (the window must be visible and on top), and writes it to `pngPath`. The frame is there because
// the test prefix has Wine draw it; in a prefix whose windows are managed, with no window manager
// on the X server, that part of the picture is black.
CaptureResult CaptureWindowToPng(HWND window, const std::wstring& pngPath, CaptureArea area = CaptureArea::Client);
