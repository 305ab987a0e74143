#include <windows.h>

#include <string>

#include "bmpwindow/dib_surface.h"

namespace {
// The 40-byte header and 12 unused bytes, as the surface has always asked for.
constexpr SIZE_T DESCRIPTION_BYTES = 52;
}

DibSurface::DibSurface(std::int32_t width, std::int32_t height) : PixelSurface(nullptr, 0, 0) {
    HANDLE heap = GetProcessHeap();
    auto* header = static_cast<BITMAPINFOHEADER*>(HeapAlloc(heap, 0, DESCRIPTION_BYTES));
    if (header == nullptr) {
        failure_ = "cannot create the pixel surface: out of memory";
        return;
    }
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = width;
    header->biHeight = -height;  // negative: rows run top-down
    header->biPlanes = 1;
    header->biBitCount = 32;
    header->biCompression = BI_RGB;
    header->biSizeImage = 0;
    header->biXPelsPerMeter = 0;
    header->biYPelsPerMeter = 0;
    header->biClrUsed = 0;
    header->biClrImportant = 0;

    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(header), DIB_RGB_COLORS, &pixels,
                                      nullptr, 0);
    const DWORD error = GetLastError();
    HeapFree(heap, 0, header);
    if (bitmap == nullptr || pixels == nullptr) {
        if (bitmap != nullptr) DeleteObject(bitmap);
        failure_ = "cannot create the pixel surface (error " + std::to_string(error) + ")";
        return;
    }
    bitmap_ = bitmap;
    attach(static_cast<std::uint32_t*>(pixels), width, height);
}

DibSurface::~DibSurface() {
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
}

void DibSurface::present(std::int32_t x, std::int32_t y, WindowHandle window) const {
    if (bitmap_ == nullptr) return;
    HDC windowContext = GetDC(window);
    HDC memoryContext = CreateCompatibleDC(windowContext);
    HGDIOBJ previous = SelectObject(memoryContext, bitmap_);
    BitBlt(windowContext, x, y, width(), height(), memoryContext, 0, 0, SRCCOPY);
    SelectObject(memoryContext, previous);
    DeleteDC(memoryContext);
    ReleaseDC(window, windowContext);
}
