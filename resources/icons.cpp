#include "resources/icons.hpp"

#include <algorithm>
#include <cmath>

#include "platform/imaging/painter.hpp"

namespace tavrin::resources {
namespace {

constexpr std::uint32_t kOutline = 0xFF505050;
constexpr std::uint32_t kPaper = 0xFFFFFFFF;
constexpr std::uint32_t kFold = 0xFFC8C8C8;
constexpr std::uint32_t kLetter = 0xFF1E3C8C;
constexpr std::uint32_t kCross = 0xFFFF3300;  // RGB(255, 51, 0)

// The maker letters of type icons 2 to 9.
constexpr char32_t kLetters[] = {U'C', U'F', U'K', U'M', U'N', U'O', U'P', U'S'};

IconImage blank(int size) {
    return IconImage{size, std::vector<std::uint32_t>(static_cast<std::size_t>(size) * size, 0)};
}

void put(IconImage& icon, int x, int y, std::uint32_t argb) {
    if (x >= 0 && y >= 0 && x < icon.size && y < icon.size)
        icon.argb[static_cast<std::size_t>(y) * icon.size + x] = argb;
}

// A sheet of paper with its top right corner folded, on a 16-unit grid.
void drawFigure(IconImage& icon) {
    const double unit = icon.size / 16.0;
    const int left = static_cast<int>(3 * unit), right = static_cast<int>(13 * unit) - 1;
    const int top = static_cast<int>(1 * unit), bottom = static_cast<int>(15 * unit) - 1;
    const int fold = static_cast<int>(4 * unit);
    const int line = std::max(1, icon.size / 32);
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            const int intoFold = (x - (right - fold)) - (y - top);  // > 0: cut off by the fold
            if (intoFold > 0) continue;
            const bool edge = x < left + line || x > right - line || y < top + line ||
                              y > bottom - line || intoFold > -line;
            const bool folded = x > right - fold && y < top + fold;
            put(icon, x, y, edge ? kOutline : folded ? kFold : kPaper);
        }
    }
}

// A letter of the controls' face, scaled up to about a third of the icon, on the sheet's lower
// part.
void drawLetter(IconImage& icon, char32_t letter) {
    const imaging::GlyphView glyph = imaging::glyphOf(letter);
    const int scale = std::max(1, icon.size / 24);
    const int width = glyph.advance * scale;
    const int x0 = (icon.size - width) / 2 + scale / 2;
    const int y0 = icon.size * 9 / 16 - imaging::GlyphView::kBaseline * scale / 2 - scale;
    for (int row = 0; row < imaging::GlyphView::kHeight; ++row) {
        for (int col = 0; col < glyph.advance; ++col) {
            if (!(glyph.rows[row] >> col & 1)) continue;
            for (int dy = 0; dy < scale; ++dy) {
                for (int dx = 0; dx < scale; ++dx)
                    put(icon, x0 + col * scale + dx, y0 + row * scale + dy, kLetter);
            }
        }
    }
}

// Two thick strokes from corner to corner.
void drawCross(IconImage& icon) {
    const double half = icon.size / 10.0;
    for (int y = 0; y < icon.size; ++y) {
        for (int x = 0; x < icon.size; ++x) {
            const double cx = x + 0.5, cy = y + 0.5;
            const double d1 = std::fabs(cx - cy) / std::sqrt(2.0);
            const double d2 = std::fabs(cx + cy - icon.size) / std::sqrt(2.0);
            if (std::min(d1, d2) <= half) put(icon, x, y, kCross);
        }
    }
}

}  // namespace

std::optional<IconImage> loadIconImage(int resourceId, int size) {
    if (resourceId == kCrossIcon) {
        if (size != 64) return std::nullopt;
        IconImage icon = blank(size);
        drawCross(icon);
        return icon;
    }
    const int index = resourceId - kFirstTypeIcon;
    if (index < 0 || index > 9 || (size != 16 && size != 32 && size != 48 && size != 64)) {
        return std::nullopt;
    }
    IconImage icon = blank(size);
    drawFigure(icon);
    if (index == 1) drawCross(icon);
    if (index >= 2) drawLetter(icon, kLetters[index - 2]);
    return icon;
}

}  // namespace tavrin::resources
