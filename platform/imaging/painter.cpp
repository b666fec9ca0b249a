#include "platform/imaging/painter.hpp"

#include <algorithm>
#include <cstdlib>

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
    for (int row = 0; row < source.height(); ++row) {
        for (int column = 0; column < source.width(); ++column) {
            const std::uint8_t* p = source.row(row) + column * 3;
            setPixel(x + column, y + row, rgb(p[2], p[1], p[0]));
        }
    }
}

}  // namespace tavrin::imaging
