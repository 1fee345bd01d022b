#pragma once
// GDI+ images of the wizard: header images read from files (decoded by their content, whatever
// their name says), the welcome picture from the executable's resources, one pixel of an image
// file, and stretched drawing into a device context. GDI+ must have been started by the caller.
#include <windows.h>

#include <string>

// Owns one GDI+ image together with the memory it was decoded from: GDI+ reads a stream-based
// image lazily, so the bytes must live as long as the image does.
class GdiplusImage {
public:
    GdiplusImage() = default;
    ~GdiplusImage();
    GdiplusImage(const GdiplusImage&) = delete;
    GdiplusImage& operator=(const GdiplusImage&) = delete;
    GdiplusImage(GdiplusImage&& other) noexcept;
    GdiplusImage& operator=(GdiplusImage&& other) noexcept;

    // PNG, JPEG or BMP under any file name. The file is read into memory and closed at once, so it
    // stays free to be deleted while the image is in use. False (image empty) when it cannot be read
    // or decoded.
    bool LoadFile(const std::wstring& path);
    // A resource of the module (e.g. 167 of type "PNG").
    bool LoadResource(HMODULE module, int id, const wchar_t* type);

    bool Empty() const { return m_image == nullptr; }
    void Reset();
    // Draws the image stretched over (x, y, width, height); nothing when empty.
    void DrawStretched(HDC dc, int x, int y, int width, int height) const;
    // The colour of pixel (x, y); false when the image is empty or smaller.
    bool PixelAt(int x, int y, COLORREF& colour) const;

private:
    bool LoadBytes(const void* bytes, size_t size);

    void* m_image = nullptr;  // GpImage* (a GpBitmap)
    HGLOBAL m_memory = nullptr;
};

// The colour of pixel (x, y) of an image file, or `fallback` when the file is missing or unreadable.
COLORREF ImagePixelOr(const std::wstring& path, int x, int y, COLORREF fallback);
