#include <cmath>

#include "rawengine/colour/colour_steps.hpp"
#include "rawengine/loader_exception.hpp"
#include "rawengine/raw_limits.hpp"

namespace tavrin::raw {

// Turns the 45-degree layout of Fuji's sensors upright, sampling the working image bilinearly.
void fujiRotate(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    Geometry& g = s.geometry;
    if (!g.fujiWidth || !s.image) return;
    g.fujiWidth = (g.fujiWidth + g.halfShrink) >> g.halfShrink;
    const double step = std::sqrt(0.5);
    const int wide = static_cast<int>(g.fujiWidth / step);
    const int high = static_cast<int>((g.height - g.fujiWidth) / step);
    // A Fuji width beyond the image leaves nothing upright to show.
    if (wide <= 0 || high <= 0 || static_cast<std::int64_t>(wide) * high > kMaxRawPixels) {
        g.fujiWidth = 0;
        return;
    }
    ImageBuffer upright = allocateImage(static_cast<std::size_t>(wide) * high * 4);
    if (!upright) throw CImageLoaderException::outOfMemory("fuji_rotate()");

    const std::uint16_t* image = s.image.get();
    const auto at = [&](unsigned r, unsigned c) {
        return image + (static_cast<std::size_t>(r) * g.width + c) * 4;
    };
    std::uint16_t* out = upright.get();
    for (int row = 0; row < high; ++row) {
        for (int col = 0; col < wide; ++col, out += 4) {
            const double r = g.fujiWidth + (row - col) * step;
            const double c = (row + col) * step;
            if (r < 0 || c < 0) continue;
            const auto ur = static_cast<unsigned>(r);
            const auto uc = static_cast<unsigned>(c);
            if (ur > static_cast<unsigned>(g.height - 2) || uc > static_cast<unsigned>(g.width - 2))
                continue;
            const double fr = r - ur, fc = c - uc;
            const std::uint16_t* p00 = at(ur, uc);
            const std::uint16_t* p01 = at(ur, uc + 1);
            const std::uint16_t* p10 = at(ur + 1, uc);
            const std::uint16_t* p11 = at(ur + 1, uc + 1);
            for (int i = 0; i < 4; ++i) {
                out[i] = static_cast<std::uint16_t>((p00[i] * (1 - fc) + p01[i] * fc) * (1 - fr) +
                                                    (p10[i] * (1 - fc) + p11[i] * fc) * fr);
            }
        }
    }
    s.image = std::move(upright);
    s.metaData = nullptr;
    g.height = high;
    g.width = wide;
    g.fujiWidth = 0;
}

}  // namespace tavrin::raw
