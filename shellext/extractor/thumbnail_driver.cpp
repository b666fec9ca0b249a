// The thumbnail side of the shell object: the embedded preview first, the raw data as fallback,
// fitted into the requested box, turned and stretched where the camera needs it, put-aside files
// crossed.

#include <cmath>
#include <cstdio>
#include <utility>

#include "common/file_types.hpp"
#include "common/log.hpp"
#include "common/settings.hpp"
#include "common/settings_names.hpp"
#include "engine_settings/decode_settings.hpp"
#include "platform/imaging/decode.hpp"
#include "platform/imaging/graphics.hpp"
#include "platform/system/ascii.hpp"
#include "rawengine/loader_exception.hpp"
#include "rawengine/raw_engine.hpp"
#include "resources/icons.hpp"
#include "shellext/extractor/raw_image_extractor.hpp"
#include "shellext/info/image_info_reader.hpp"
#include "shellext/info/preview_decoders.hpp"

namespace tavrin::shell {
namespace {

using namespace com;
using imaging::Bitmap;
using imaging::Graphics;
using imaging::RectF;

constexpr double kFujiShare = 0.599;
constexpr int kD1xWidth = 3008;
constexpr int kD1xHeight = 1960;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kOpaqueBlack = 0xFF000000;
constexpr int kCrossSize = 32;

bool isD1X(const std::string& make, const std::string& model) {
    return make.compare(0, 5, "NIKON") == 0 && model.compare(0, 3, "D1X") == 0;
}

// The put-aside mark: the red cross icon (resource 218) scaled to kCrossSize x kCrossSize and
// laid over the bottom-right corner of the picture.
void drawCross(Bitmap& picture) {
    const auto cross = resources::loadIconImage(resources::kCrossIcon, 64);
    if (!cross) return;
    const int scale = cross->size / kCrossSize;
    const int x0 = picture.width() - kCrossSize, y0 = picture.height() - kCrossSize;
    for (int y = std::max(0, -y0); y < kCrossSize; ++y) {
        for (int x = std::max(0, -x0); x < kCrossSize; ++x) {
            // A box filter over the icon's pixels, weighted by their opacity.
            double alpha = 0, r = 0, g = 0, b = 0;
            for (int dy = 0; dy < scale; ++dy) {
                for (int dx = 0; dx < scale; ++dx) {
                    const std::uint32_t p = cross->at(x * scale + dx, y * scale + dy);
                    const double a = (p >> 24) / 255.0;
                    alpha += a;
                    r += a * ((p >> 16) & 0xFF), g += a * ((p >> 8) & 0xFF), b += a * (p & 0xFF);
                }
            }
            if (alpha == 0) continue;
            const double cover = alpha / (scale * scale);
            std::uint8_t* out = picture.row(y0 + y) + 3 * (x0 + x);
            const double mix[3] = {b / alpha, g / alpha, r / alpha};
            for (int c = 0; c < 3; ++c)
                out[c] = static_cast<std::uint8_t>(out[c] * (1 - cover) + mix[c] * cover + 0.5);
        }
    }
}

// Where the picture goes: the bitmap's size and the picture's rectangle on it.
struct Placement {
    int width = 0, height = 0;
    RectF picture;
};

// The picture (w x h, already turned) on a white canvas of the box's size, as Explorer gets it.
// tw x th is the box in the picture's stored orientation, aspect its stored proportions.
Placement placeOnCanvas(int w, int h, int rw, int rh, int tw, int th, float aspect, int turn) {
    // A square box is corrected for the picture's proportions before the fit.
    if (tw == th) {
        const bool landscape = aspect > 1.0f;
        const bool turned = turn == 1 || turn == 3;
        if (landscape == turned) {
            tw = static_cast<int>(static_cast<float>(tw) / aspect);
        } else {
            th = static_cast<int>(static_cast<float>(th) / aspect);
        }
    }
    const float sx = static_cast<float>(tw) / static_cast<float>(w);
    const float sy = static_cast<float>(th) / static_cast<float>(h);
    if (sy < sx) {
        tw = static_cast<int>(static_cast<float>(w) * sy);
    } else if (sy > sx) {
        th = static_cast<int>(static_cast<float>(h) * sx);
    }
    float dw = static_cast<float>(std::min(rw, tw)), dh = static_cast<float>(std::min(rh, th));
    const float ry = static_cast<float>(rh) / static_cast<float>(th);
    const float rx = static_cast<float>(rw) / static_cast<float>(tw);
    if (ry < 1.0f) {
        dw = static_cast<float>(tw) * ry;
        dh = static_cast<float>(rh);
    } else if (rx < 1.0f) {
        dw = static_cast<float>(rw);
        dh = static_cast<float>(th) * rx;
    }
    const float x = rw > dw ? (static_cast<float>(rw) - dw) * 0.5f : 0;
    const float y = rh > dh ? (static_cast<float>(rh) - dh) * 0.5f : 0;
    return {rw, rh, RectF{x, y, dw, dh}};
}

// The picture alone (IEIFLAG_ORIGSIZE), fitted into the box with its proportions: the side that
// limits the fit is exactly the box's, the other one rounded.
Placement placeBare(int w, int h, int rw, int rh) {
    int dw = rw, dh = rh;
    if (static_cast<std::int64_t>(w) * rh >= static_cast<std::int64_t>(h) * rw) {
        dh = static_cast<int>(std::lround(static_cast<double>(h) * rw / w));
    } else {
        dw = static_cast<int>(std::lround(static_cast<double>(w) * rh / h));
    }
    dw = std::max(1, dw);
    dh = std::max(1, dh);
    return {dw, dh, RectF{0, 0, static_cast<float>(dw), static_cast<float>(dh)}};
}

}  // namespace

HRESULT RawImageExtractor::renderThumbnail(HBITMAP* bitmap, bool fujiRotate, bool d1xStretch) {
    *bitmap = nullptr;
    if (!info_.previewData) return E_FAIL;
    auto* block = static_cast<const std::uint8_t*>(GlobalLock(info_.previewData));
    const std::span<const std::uint8_t> data{block, GlobalSize(info_.previewData)};
    // A box much smaller than the preview lets a JPEG be decoded reduced, down to the size the
    // picture will have in the box.
    imaging::DecodeOptions options;
    const imaging::Probed probed = imaging::probeImage(data);
    if (info_.requestedWidth > 0 && info_.requestedHeight > 0 && !fujiRotate && !d1xStretch &&
        probed.status == imaging::Status::Ok && probed.width > 0 && probed.height > 0) {
        const bool sideways = info_.orientation == 90 || info_.orientation == 270;
        const double shownW = sideways ? probed.height : probed.width;
        const double shownH = sideways ? probed.width : probed.height;
        const double fit = std::min(info_.requestedWidth / shownW, info_.requestedHeight / shownH);
        options.minWidth = static_cast<int>(std::ceil(probed.width * fit));
        options.minHeight = static_cast<int>(std::ceil(probed.height * fit));
    }
    imaging::Decoded decoded = imaging::decodeImage(data, options);
    GlobalUnlock(info_.previewData);
    if (decoded.status != imaging::Status::Ok) return E_FAIL;
    std::unique_ptr<Bitmap> pic = std::move(decoded.bitmap);

    if (info_.requestedWidth == 0 || info_.requestedHeight == 0) {
        info_.requestedWidth = pic->width();
        info_.requestedHeight = pic->height();
    }
    float aspect = static_cast<float>(pic->width()) / static_cast<float>(pic->height());
    int tw = info_.requestedWidth, th = info_.requestedHeight;
    int turn = 0;
    if (info_.orientation == 90 || info_.orientation == 180 || info_.orientation == 270) {
        turn = info_.orientation / 90;
        if (turn != 2) {
            std::swap(tw, th);
            aspect = static_cast<float>(pic->height()) / static_cast<float>(pic->width());
        }
    }
    if (pic->rotateFlip(static_cast<imaging::RotateFlip>(turn)) != imaging::Status::Ok)
        return E_OUTOFMEMORY;

    if (fujiRotate) {
        const double w = pic->width(), h = pic->height();
        auto turned = Bitmap::create(static_cast<int>(kFujiShare * std::sqrt(2.0) * w),
                                     static_cast<int>((1 - kFujiShare) * std::sqrt(2.0) * w));
        if (!turned) return E_OUTOFMEMORY;
        Graphics g(*turned);
        g.setInterpolationMode(imaging::InterpolationMode::HighQualityBicubic);
        g.resetTransform();
        g.translateTransform(0, -kFujiShare * w, Graphics::Order::Append);
        g.rotateTransform(45, Graphics::Order::Append);
        g.drawImage(*pic, RectF{0, 0, static_cast<float>(w), static_cast<float>(h)});
        pic = std::move(turned);
    }
    if (d1xStretch) {
        auto stretched = Bitmap::createUnfilled(kD1xWidth, kD1xHeight);
        if (!stretched) return E_OUTOFMEMORY;
        Graphics g(*stretched);
        g.setInterpolationMode(imaging::InterpolationMode::HighQualityBicubic);
        g.drawImage(*pic, RectF{0, 0, kD1xWidth, kD1xHeight});
        pic = std::move(stretched);
    }
    const int w = pic->width(), h = pic->height();

    const int rw = info_.requestedWidth, rh = info_.requestedHeight;
    // File managers draw their own frames: with IEIFLAG_ORIGSIZE the picture comes without the
    // white canvas around it.
    // The proportions are the stored picture's, not those of a reduced decode of it (which may
    // be one pixel off after rounding).
    const bool mayBeReduced = options.minWidth > 0;
    const bool sideways = turn == 1 || turn == 3;
    const int fullW = mayBeReduced ? (sideways ? probed.height : probed.width) : w;
    const int fullH = mayBeReduced ? (sideways ? probed.width : probed.height) : h;
    const Placement place = keepAspect_ ? placeBare(fullW, fullH, rw, rh)
                                        : placeOnCanvas(w, h, rw, rh, tw, th, aspect, turn);
    auto canvas = Bitmap::createUnfilled(place.width, place.height);
    if (!canvas) return E_OUTOFMEMORY;
    Graphics g(*canvas);
    // The bare picture covers all of its bitmap; only a canvas shows around the picture.
    if (!keepAspect_) g.clear(kWhite);
    g.setInterpolationMode(imaging::InterpolationMode::HighQualityBicubic);
    g.setSmoothingMode(imaging::SmoothingMode::None);
    g.drawImage(*pic, place.picture, RectF{0, 0, static_cast<float>(w), static_cast<float>(h)});
    *bitmap = imaging::createHBitmap(std::move(canvas), kOpaqueBlack);
    if (!*bitmap) return E_OUTOFMEMORY;
    char line[512];
    std::snprintf(line, sizeof line,
                  "Tavrin created the thumbnail image with sizes requested %d x %d for %s", rw, rh,
                  info_.filePath.c_str());
    logLine(line);
    return S_OK;
}

HRESULT RawImageExtractor::decodeRaw(bool embeddedFailed, bool* d1x) {
    raw::RawEngine engine;
    int width = -1, height = -1;
    engine.OpenAndIdentify(info_.filePath, &width, &height, &info_.orientation, &info_.make,
                           &info_.model, false);
    if (width < 0 || height < 0) {
        engine.CloseFile();
        return E_FAIL;
    }
    raw::DecodeOptions options = engine_settings::decodeOptionsFor(info_.filePath);
    options.colourFit = false;  // thumbnails never spend time on fitting colours
    const HRESULT r = engine.OpenImageFile(info_.filePath, nullptr, true, true,
                                           raw::kWhiteBalanceFromSettings, options);
    if (FAILED(r)) return r;
    *d1x = isD1X(info_.make, info_.model);
    if (info_.requestedWidth == 0 && info_.requestedHeight == 0) {
        info_.requestedWidth = *d1x ? kD1xWidth : width;
        info_.requestedHeight = *d1x ? kD1xHeight : height;
        if (embeddedFailed) {
            info_.requestedWidth /= 2;
            info_.requestedHeight /= 2;
        }
    }
    engine.GetOutputSize(&info_.previewWidth, &info_.previewHeight);
    const int stride = wrapPixelsAsBmp(info_);
    if (!info_.previewData) return E_OUTOFMEMORY;
    auto* bmp = static_cast<std::uint8_t*>(GlobalLock(info_.previewData));
    engine.RenderToDib(bmp + kBmpHeaderSize, stride);
    GlobalUnlock(info_.previewData);
    engine.FreePixels();
    return S_OK;
}

HRESULT RawImageExtractor::Extract(HBITMAP* bitmap) {
    if (!bitmap) return E_POINTER;
    *bitmap = nullptr;
    const std::string extension(extensionOf(info_.filePath));
    using namespace settings;
    const bool useEmbedded = getUserSetting(extension, kUseEmbeddedForThumbnail.name,
                                            kUseEmbeddedForThumbnail.defaultValue) != 0;
    bool embeddedFailed = false;
    bool rendered = false;
    HRESULT result = S_OK;
    if (useEmbedded) {
        if (!info_.previewData && FAILED(ReadImageInfo(info_, true))) {
            embeddedFailed = true;
        } else if (SUCCEEDED(result = renderThumbnail(bitmap, false, false))) {
            rendered = true;
        } else {
            // A preview that does not open is dropped, so that the raw data can be tried.
            embeddedFailed = true;
            info_.freePreview();
        }
    }
    if (!rendered) {
        bool d1x = false;
        if (!info_.previewData) {
            try {
                result = decodeRaw(embeddedFailed, &d1x);
            } catch (const raw::CImageLoaderException&) {
                result = E_OUTOFMEMORY;  // the engine's failure stays inside the object
            }
            if (FAILED(result)) return result;
        }
        const bool isRaf = ascii::equalsIgnoreCase(innerExtension(info_.filePath), ".RAF");
        if (FAILED(result = renderThumbnail(bitmap, isRaf, d1x))) return result;
    }

    if (ascii::equalsIgnoreCase(extension, kTrashedExtension) &&
        getUserSetting(kTrashed, kCrossImage.name, kCrossImage.defaultValue) == 1) {
        auto crossed = imaging::takeBitmap(std::exchange(*bitmap, nullptr));
        drawCross(*crossed);
        *bitmap = imaging::createHBitmap(std::move(crossed), kOpaqueBlack);
        if (!*bitmap) return E_OUTOFMEMORY;
    }
    logLine("Tavrin successfully returned the thumbnail image for " + info_.filePath);
    return result;
}

}  // namespace tavrin::shell
