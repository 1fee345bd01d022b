#include "ui/GdiplusImage.h"

#include <objbase.h>
// GDI+ needs these before its header.
#include <algorithm>
using std::max;
using std::min;
#include <gdiplus.h>

#include <cstring>
#include <utility>
#include <vector>

#include "util/Handles.h"

namespace {
std::vector<char> ReadWholeFile(const std::wstring& path)
{
    std::vector<char> bytes;
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    // Header images are small; anything beyond 64 MiB is not an image we want in memory.
    if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0 || size.QuadPart > (64LL << 20)) {
        return bytes;
    }
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
        read != bytes.size()) {
        bytes.clear();
    }
    return bytes;
}
}  // namespace

GdiplusImage::~GdiplusImage() { Reset(); }

GdiplusImage::GdiplusImage(GdiplusImage&& other) noexcept
    : m_image(std::exchange(other.m_image, nullptr)), m_memory(std::exchange(other.m_memory, nullptr))
{
}

GdiplusImage& GdiplusImage::operator=(GdiplusImage&& other) noexcept
{
    if (this != &other) {
        Reset();
        m_image = std::exchange(other.m_image, nullptr);
        m_memory = std::exchange(other.m_memory, nullptr);
    }
    return *this;
}

void GdiplusImage::Reset()
{
    if (m_image != nullptr) {
        Gdiplus::DllExports::GdipDisposeImage(static_cast<Gdiplus::GpImage*>(m_image));
        m_image = nullptr;
    }
    if (m_memory != nullptr) {
        ::GlobalFree(m_memory);
        m_memory = nullptr;
    }
}

bool GdiplusImage::LoadFile(const std::wstring& path)
{
    Reset();
    const std::vector<char> bytes = ReadWholeFile(path);
    return !bytes.empty() && LoadBytes(bytes.data(), bytes.size());
}

bool GdiplusImage::LoadResource(HMODULE module, int id, const wchar_t* type)
{
    Reset();
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (resource == nullptr) {
        return false;
    }
    const DWORD size = ::SizeofResource(module, resource);
    HGLOBAL loaded = ::LoadResource(module, resource);
    const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    return bytes != nullptr && size != 0 && LoadBytes(bytes, size);
}

// The codec is chosen from the bytes' signature, so a JPEG or a bitmap named ".png" decodes too.
bool GdiplusImage::LoadBytes(const void* bytes, size_t size)
{
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (memory == nullptr) {
        return false;
    }
    void* target = ::GlobalLock(memory);
    if (target == nullptr) {
        ::GlobalFree(memory);
        return false;
    }
    std::memcpy(target, bytes, size);
    ::GlobalUnlock(memory);
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(memory, FALSE, &stream))) {
        ::GlobalFree(memory);
        return false;
    }
    Gdiplus::GpBitmap* bitmap = nullptr;
    const Gdiplus::Status status = Gdiplus::DllExports::GdipCreateBitmapFromStream(stream, &bitmap);
    stream->Release();
    if (status != Gdiplus::Ok || bitmap == nullptr) {
        ::GlobalFree(memory);
        return false;
    }
    m_image = bitmap;
    m_memory = memory;
    return true;
}

void GdiplusImage::DrawStretched(HDC dc, int x, int y, int width, int height) const
{
    if (m_image == nullptr || width <= 0 || height <= 0) {
        return;
    }
    Gdiplus::GpGraphics* graphics = nullptr;
    if (Gdiplus::DllExports::GdipCreateFromHDC(dc, &graphics) != Gdiplus::Ok) {
        return;
    }
    // Half-pixel offsets keep a stretched strip from fading at its edges.
    Gdiplus::DllExports::GdipSetPixelOffsetMode(graphics, Gdiplus::PixelOffsetModeHalf);
    Gdiplus::DllExports::GdipDrawImageRectI(graphics, static_cast<Gdiplus::GpImage*>(m_image), x, y, width, height);
    Gdiplus::DllExports::GdipDeleteGraphics(graphics);
}

bool GdiplusImage::PixelAt(int x, int y, COLORREF& colour) const
{
    if (m_image == nullptr) {
        return false;
    }
    UINT width = 0;
    UINT height = 0;
    auto* image = static_cast<Gdiplus::GpImage*>(m_image);
    Gdiplus::DllExports::GdipGetImageWidth(image, &width);
    Gdiplus::DllExports::GdipGetImageHeight(image, &height);
    if (x < 0 || y < 0 || static_cast<UINT>(x) >= width || static_cast<UINT>(y) >= height) {
        return false;
    }
    Gdiplus::ARGB argb = 0;
    if (Gdiplus::DllExports::GdipBitmapGetPixel(static_cast<Gdiplus::GpBitmap*>(m_image), x, y, &argb) !=
        Gdiplus::Ok) {
        return false;
    }
    colour = RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
    return true;
}

COLORREF ImagePixelOr(const std::wstring& path, int x, int y, COLORREF fallback)
{
    GdiplusImage image;
    COLORREF colour = fallback;
    if (!path.empty() && image.LoadFile(path) && image.PixelAt(x, y, colour)) {
        return colour;
    }
    return fallback;
}
