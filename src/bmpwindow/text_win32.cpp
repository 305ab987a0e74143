#include <windows.h>

#include <climits>
#include <cstring>

#include "bmpwindow/bmp_window.h"
#include "bmpwindow/pack_colour.h"
#include "bmpwindow/truncate.h"

void BmpWindow::drawText(const Point2& at, const std::string& text, const Vector3& colour) {
    const std::optional<std::int32_t> x = truncToInt32(at.x);
    const std::optional<std::int32_t> y = truncToInt32(at.y);
    const std::size_t length = std::strlen(text.c_str());  // up to the first NUL byte
    if (!x || !y || length == 0 || surface_->bitmap() == nullptr) return;

    HDC windowContext = GetDC(window_);
    HDC memoryContext = CreateCompatibleDC(windowContext);
    HGDIOBJ previous = SelectObject(memoryContext, surface_->bitmap());
    SetTextColor(memoryContext, packColour(colour));  // a COLORREF: its low byte is red
    SetBkMode(memoryContext, TRANSPARENT);
    TextOutA(memoryContext, *x, *y, text.c_str(), static_cast<int>(length < INT_MAX ? length : INT_MAX));
    SelectObject(memoryContext, previous);
    DeleteDC(memoryContext);
    ReleaseDC(window_, windowContext);
}
