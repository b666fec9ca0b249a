// The engine's two outputs of a finished decode.

#include <string_view>

#include "platform/imaging/graphics.hpp"
#include "rawengine/colour/tone_table.hpp"
#include "rawengine/pixel_shape.hpp"
#include "rawengine/raw_engine.hpp"

namespace tavrin::raw {
namespace {

// The bitmap output never brightens a dark picture beyond this white point.
constexpr int kBitmapWhiteBin = 4096;
constexpr int kFoveonBitmapWhiteBin = 256;

imaging::RotateFlip turnFor(int degrees) {
    switch (degrees) {
        case 90:
            return imaging::RotateFlip::Rotate90FlipNone;
        case 180:
            return imaging::RotateFlip::Rotate180FlipNone;
        case 270:
            return imaging::RotateFlip::Rotate270FlipNone;
        default:
            return imaging::RotateFlip::RotateNoneFlipNone;
    }
}

// Writes the visible pixels through the table: row r of the visible area to row(r).
template <typename RowFn>
void writePixels(const DecodeState& s, const ToneTable& table, RowFn row) {
    const Geometry& g = s.geometry;
    if (!s.image) return;
    for (int r = g.trim; r < g.height - g.trim; ++r) {
        const std::uint16_t* pix =
            s.image.get() + (static_cast<std::size_t>(r) * g.width + g.trim) * 4;
        std::uint8_t* out = row(r - g.trim);
        for (int c = g.trim; c < g.width - g.trim; ++c, pix += 4, out += 3) {
            out[0] = table[pix[2]];
            out[1] = table[pix[1]];
            out[2] = table[pix[0]];
        }
    }
}

}  // namespace

void RawEngine::RenderToDib(std::uint8_t* bits, int stride) const {
    const auto table = buildToneTable(state_);
    int height = 0;
    GetOutputSize(nullptr, &height);
    writePixels(state_, *table, [&](int row) {
        return bits + static_cast<std::ptrdiff_t>(height - 1 - row) * stride;
    });
}

std::unique_ptr<imaging::Bitmap> RawEngine::CreateGdiplusBitmap() {
    const DecodeState& s = state_;
    const Geometry& g = s.geometry;
    auto bitmap = imaging::Bitmap::create(g.width, g.height);
    if (!bitmap) {
        FreePixels();
        return nullptr;
    }
    const auto table =
        buildToneTable(s, s.sensor.isFoveon ? kFoveonBitmapWhiteBin : kBitmapWhiteBin);
    imaging::BitmapData data;
    const imaging::Rect inner{g.trim, g.trim, g.width - 2 * g.trim, g.height - 2 * g.trim};
    if (bitmap->lockBits(inner, imaging::LockMode::Write, data) == imaging::Status::Ok) {
        writePixels(s, *table, [&](int row) {
            return data.scan0 + static_cast<std::ptrdiff_t>(row) * data.stride;
        });
        bitmap->unlockBits(data);
    }
    if (const Stretch* stretch = stretchFor(s.id)) {
        if (auto stretched = imaging::Bitmap::create(stretch->width, stretch->height)) {
            imaging::Graphics graphics(*stretched);
            graphics.drawImage(*bitmap,
                               imaging::RectF{0, 0, static_cast<float>(stretch->width),
                                              static_cast<float>(stretch->height)},
                               imaging::RectF{0, 0, static_cast<float>(bitmap->width()),
                                              static_cast<float>(bitmap->height())});
            bitmap = std::move(stretched);
        }
    }
    bitmap->rotateFlip(turnFor(s.container.rotationDegrees));
    FreePixels();
    return bitmap;
}

}  // namespace tavrin::raw
