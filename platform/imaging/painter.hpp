#pragma once
// GDI-style drawing on a bitmap for owner-drawn controls: pixels, one-pixel lines (solid or
// dotted), rectangles framed with the pen and filled with a brush, and bitmap copies.

#include <cstdint>

#include "platform/imaging/bitmap.hpp"

namespace tavrin::imaging {

// Colours as 0x00BBGGRR, the platform's COLORREF.
using ColorRef = std::uint32_t;
constexpr ColorRef rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return r | (g << 8) | (static_cast<ColorRef>(b) << 16);
}

struct Pen {
    ColorRef color = 0;
    bool dotted = false;
};

class Painter {
  public:
    explicit Painter(Bitmap& target) : target_(target) {}

    // Pixels outside the bitmap are ignored.
    void setPixel(int x, int y, ColorRef color);
    void selectPen(const Pen& pen) { pen_ = pen; }
    void moveTo(int x, int y) { x_ = x, y_ = y; }
    // From the current position up to, not including, (x, y), which becomes the current position.
    void lineTo(int x, int y);
    // Framed with the current pen, filled with the brush; right and bottom are outside.
    void rectangle(int left, int top, int right, int bottom, ColorRef brush);
    void copy(const Bitmap& source, int x, int y);

  private:
    Bitmap& target_;
    Pen pen_;
    int x_ = 0, y_ = 0;
};

}  // namespace tavrin::imaging
