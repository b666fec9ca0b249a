#include "platform/imaging/painter.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace tavrin::imaging {

void Painter::setPixel(int x, int y, ColorRef color) {
    if (x < 0 || y < 0 || x >= target_.width() || y >= target_.height()) return;
    std::uint8_t* p = target_.row(y) + x * 3;
    p[0] = static_cast<std::uint8_t>(color >> 16);
    p[1] = static_cast<std::uint8_t>(color >> 8);
    p[2] = static_cast<std::uint8_t>(color);
}

void Painter::lineTo(int x, int y) {
    // Bresenham; a dotted pen sets every other pixel along the line.
    const int dx = std::abs(x - x_), dy = -std::abs(y - y_);
    const int sx = x_ < x ? 1 : -1, sy = y_ < y ? 1 : -1;
    int error = dx + dy, px = x_, py = y_;
    for (int step = 0; px != x || py != y; ++step) {
        if (!pen_.dotted || step % 2 == 0) setPixel(px, py, pen_.color);
        const int twice = 2 * error;
        if (twice >= dy) error += dy, px += sx;
        if (twice <= dx) error += dx, py += sy;
    }
    x_ = x, y_ = y;
}

void Painter::rectangle(int left, int top, int right, int bottom, ColorRef brush) {
    for (int y = top + 1; y < bottom - 1; ++y) {
        for (int x = left + 1; x < right - 1; ++x)
            setPixel(x, y, brush);
    }
    moveTo(left, top);
    lineTo(right - 1, top);
    lineTo(right - 1, bottom - 1);
    lineTo(left, bottom - 1);
    lineTo(left, top);
}

void Painter::copy(const Bitmap& source, int x, int y) {
    // Both bitmaps hold the same pixel layout: the part inside the target goes row by row.
    const int left = std::max(0, -x), right = std::min(source.width(), target_.width() - x);
    if (left >= right) return;
    for (int row = std::max(0, -y); row < source.height() && y + row < target_.height(); ++row) {
        std::memcpy(target_.row(y + row) + (x + left) * 3, source.row(row) + left * 3,
                    static_cast<std::size_t>(right - left) * 3);
    }
}

}  // namespace tavrin::imaging
