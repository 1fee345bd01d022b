#include "WindowCapture.h"

// GDI+ needs these before its header.
#include <algorithm>
using std::max;
using std::min;
#include <gdiplus.h>

#include <set>
#include <vector>

namespace {
bool FindPngEncoder(CLSID& encoder)
{
    UINT count = 0;
    UINT bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) {
        return false;
    }
    std::vector<BYTE> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) {
        return false;
    }
    for (UINT i = 0; i < count; ++i) {
        if (std::wstring(codecs[i].MimeType) == L"image/png") {
            encoder = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

class GdiplusSession {
public:
    GdiplusSession()
    {
        Gdiplus::GdiplusStartupInput input;
        m_ok = Gdiplus::GdiplusStartup(&m_token, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession()
    {
        if (m_ok) {
            Gdiplus::GdiplusShutdown(m_token);
        }
    }
    bool Ok() const { return m_ok; }

private:
    ULONG_PTR m_token = 0;
    bool m_ok = false;
};
} // namespace

CaptureResult CaptureWindowToPng(HWND window, const std::wstring& pngPath, CaptureArea which)
{
    CaptureResult result;
    RECT area{};
    POINT origin{0, 0};
    if (which == CaptureArea::Window) {
        if (!::GetWindowRect(window, &area)) {
            result.error = "the window's rectangle is unknown";
            return result;
        }
    } else if (!::GetClientRect(window, &area) || !::ClientToScreen(window, &origin)) {
        result.error = "the window's client area is unknown";
        return result;
    }
    ::OffsetRect(&area, origin.x, origin.y);
    result.width = area.right - area.left;
    result.height = area.bottom - area.top;
    if (result.width <= 0 || result.height <= 0) {
        result.error = "the window has no area";
        return result;
    }

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = result.width;
    info.bmiHeader.biHeight = -result.height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool copied = false;
    if (memory != nullptr && bitmap != nullptr) {
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        copied = ::BitBlt(memory, 0, 0, result.width, result.height, screen, area.left, area.top, SRCCOPY) != FALSE;
        ::GdiFlush();
        ::SelectObject(memory, old);
    }
    ::ReleaseDC(nullptr, screen);
    if (memory != nullptr) {
        ::DeleteDC(memory);
    }
    if (!copied) {
        result.error = "BitBlt from the screen failed";
        if (bitmap != nullptr) {
            ::DeleteObject(bitmap);
        }
        return result;
    }

    std::set<uint32_t> colours;
    const auto* pixels = static_cast<const uint32_t*>(bits);
    for (int i = 0; i < result.width * result.height && colours.size() < 64; ++i) {
        colours.insert(pixels[i] & 0x00FFFFFFu);
    }
    result.distinctColours = static_cast<int>(colours.size());

    GdiplusSession gdiplus;
    CLSID png{};
    if (!gdiplus.Ok() || !FindPngEncoder(png)) {
        result.error = "GDI+ has no PNG encoder";
    } else {
        Gdiplus::Bitmap image(result.width, result.height, result.width * 4, PixelFormat32bppRGB,
                              static_cast<BYTE*>(bits));
        const Gdiplus::Status status = image.Save(pngPath.c_str(), &png, nullptr);
        result.saved = status == Gdiplus::Ok;
        if (!result.saved) {
            result.error = "saving the PNG failed with GDI+ status " + std::to_string(static_cast<int>(status));
        }
    }
    ::DeleteObject(bitmap);
    return result;
}
