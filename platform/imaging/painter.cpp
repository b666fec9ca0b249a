#include "platform/imaging/painter.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tavrin::imaging {
namespace {

struct Glyph {
    char32_t code;
    int advance;
    std::uint16_t rows[13];
};
constexpr int kGlyphHeight = 13;

constexpr Glyph kGlyphs[] = {
#include "platform/imaging/font_glyphs.inc"
};

const Glyph& glyphFor(char32_t code) {
    for (const Glyph& g : kGlyphs) {
        if (g.code == code) return g;
    }
    return glyphFor(U'?');
}

// The code points of UTF-8 text; a broken sequence gives '?'.
std::vector<char32_t> codePoints(std::string_view text) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const int length = b < 0x80         ? 1
                           : (b >> 5) == 6  ? 2
                           : (b >> 4) == 14 ? 3
                           : (b >> 3) == 30 ? 4
                                            : 0;
        if (length == 0 || i + length > text.size()) {
            out.push_back(U'?');
            ++i;
            continue;
        }
        char32_t code = length == 1 ? b : b & (0x7F >> length);
        for (int k = 1; k < length; ++k)
            code = code << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out.push_back(code);
        i += static_cast<std::size_t>(length);
    }
    return out;
}

}  // namespace

GlyphView glyphOf(char32_t code) {
    const Glyph& glyph = glyphFor(code);
    return GlyphView{glyph.advance, glyph.rows};
}

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

void Painter::drawCenteredText(int left, int top, int right, int bottom, std::string_view text,
                               ColorRef color) {
    const std::vector<char32_t> codes = codePoints(text);
    int width = 0;
    for (char32_t code : codes)
        width += glyphFor(code).advance;
    int x = left + (right - left - width) / 2;
    const int y = top + (bottom - top - kGlyphHeight) / 2;
    for (char32_t code : codes) {
        const Glyph& glyph = glyphFor(code);
        for (int row = 0; row < kGlyphHeight; ++row) {
            for (int col = 0; col < glyph.advance && col < 16; ++col) {
                if (glyph.rows[row] >> col & 1) setPixel(x + col, y + row, color);
            }
        }
        x += glyph.advance;
    }
}

}  // namespace tavrin::imaging
