#pragma once
// GDI-style drawing on a bitmap for owner-drawn controls: pixels, one-pixel lines (solid or
// dotted), rectangles framed with the pen and filled with a brush, bitmap copies and centred
// text.

#include <cstdint>
#include <string_view>

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

// A character of the controls' face: its advance and rows of pixels, bit x set for column x.
struct GlyphView {
    static constexpr int kHeight = 13;
    static constexpr int kBaseline = 10;
    int advance;
    const std::uint16_t* rows;
};
// The glyph of a character; '?' for characters the face lacks.
GlyphView glyphOf(char32_t code);

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
    // UTF-8 text in the controls' face, centred in the rectangle, clipped to the bitmap.
    // Characters the face lacks are drawn as '?'.
    void drawCenteredText(int left, int top, int right, int bottom, std::string_view text,
                          ColorRef color);

  private:
    Bitmap& target_;
    Pen pen_;
    int x_ = 0, y_ = 0;
};

}  // namespace tavrin::imaging
