#include "shellext/surfaces/histogram.hpp"

#include <algorithm>
#include <numeric>

#include "common/strings.hpp"
#include "engine_settings/decode_settings.hpp"
#include "formats/ppm_header.hpp"
#include "platform/imaging/decode.hpp"
#include "platform/imaging/graphics.hpp"
#include "platform/system/ascii.hpp"
#include "rawengine/loader_exception.hpp"
#include "rawengine/raw_engine.hpp"

namespace tavrin::shell {
namespace {

constexpr std::uint32_t kDialogColour = 0xFFF0F0F0;
constexpr int kBoxWidth = 255, kBoxHeight = 100;

// A binary PPM file: 8-bit samples as they are, 16-bit ones by their high bytes.
std::unique_ptr<imaging::Bitmap> readPpm(const std::string& path) {
    formats::FileReader f;
    if (f.open(path)) return nullptr;
    const auto header = formats::readPpmHeader(f);
    if (!header || !imaging::Bitmap::sizeAllowed(header->width, header->height)) return nullptr;
    const int bytesPerSample = header->maxValue < 256 ? 1 : 2;
    const std::uint64_t need = 3ull * bytesPerSample * header->width * header->height;
    if (header->pixelOffset + need > f.size()) return nullptr;
    auto picture = imaging::Bitmap::create(header->width, header->height);
    if (!picture) return nullptr;
    f.seek(header->pixelOffset);
    std::vector<std::uint8_t> line(static_cast<std::size_t>(3 * bytesPerSample * header->width));
    for (int y = 0; y < header->height; ++y) {
        if (f.read(line.data(), line.size()) != line.size()) return nullptr;
        std::uint8_t* out = picture->row(y);
        for (int x = 0; x < header->width; ++x) {
            for (int c = 0; c < 3; ++c)
                out[3 * x + 2 - c] = line[(3 * x + c) * bytesPerSample];
        }
    }
    return picture;
}

}  // namespace

void countLevels(const imaging::Bitmap& picture, LevelCounts& counts) {
    for (int y = 0; y < picture.height(); ++y) {
        const std::uint8_t* p = picture.row(y);
        for (int x = 0; x < picture.width(); ++x, p += 3) {
            for (int c = 0; c < 3; ++c)
                ++counts[3 * p[2 - c] + c];
        }
    }
}

std::unique_ptr<imaging::Bitmap> renderPreview(const imaging::Bitmap& picture) {
    auto preview = imaging::Bitmap::create(resources::kPreviewWidth, resources::kPreviewHeight);
    if (!preview || picture.width() <= 0 || picture.height() <= 0) return preview;
    const double scale =
        std::min(static_cast<double>(resources::kPreviewWidth) / picture.width(),
                 static_cast<double>(resources::kPreviewHeight) / picture.height());
    const int width = std::min(resources::kPreviewWidth, static_cast<int>(picture.width() * scale));
    const int height =
        std::min(resources::kPreviewHeight, static_cast<int>(picture.height() * scale));
    imaging::Graphics g(*preview);
    g.clear(kDialogColour);
    g.setInterpolationMode(imaging::InterpolationMode::HighQualityBicubic);
    g.setSmoothingMode(imaging::SmoothingMode::None);
    g.drawImage(picture, imaging::RectF{(resources::kPreviewWidth - width) * 0.5f,
                                        (resources::kPreviewHeight - height) * 0.5f,
                                        static_cast<float>(width), static_cast<float>(height)});
    return preview;
}

std::unique_ptr<imaging::Bitmap> loadPicture(const std::string& path,
                                             raw::IDecodeProgress* progress) {
    // The type is everything from the path's first dot, as the page has always read it.
    const std::size_t dot = path.find('.');
    const std::string type = ascii::upper(
        dot == std::string::npos ? std::string_view() : std::string_view(path).substr(dot));
    if (type == ".JPEG" || type == ".JPG" || type == ".THM" || type == ".TIFF" || type == ".DNG") {
        return imaging::decodeImageFile(path).bitmap;
    }
    if (type == ".PPM") return readPpm(path);
    raw::RawEngine engine;
    engine.ResetSession();
    int width = 0, height = 0, rotation = 0;
    std::string make, model;
    if (com::FAILED(
            engine.OpenAndIdentify(path, &width, &height, &rotation, &make, &model, false)) ||
        com::FAILED(engine.OpenImageFile(path, progress, false, true,
                                         raw::kWhiteBalanceFromSettings,
                                         engine_settings::decodeOptionsFor(path)))) {
        return nullptr;
    }
    return engine.CreateGdiplusBitmap();
}

void drawHistogram(imaging::Painter& painter, const ui::RECT& r, const LevelCounts& counts,
                   bool running) {
    using imaging::rgb;
    painter.selectPen({});
    painter.rectangle(r.left, r.top, r.left + kBoxWidth, r.top + kBoxHeight, rgb(0x80, 0x80, 0x80));
    painter.selectPen({rgb(255, 255, 255), true});
    for (int i = 1; i <= 3; ++i) {
        painter.moveTo(r.left + 64 * i, r.top);
        painter.lineTo(r.left + 64 * i, r.top + kBoxHeight);
        painter.moveTo(r.left, r.top + 25 * i);
        painter.lineTo(r.right, r.top + 25 * i);
    }
    for (int v = 0; v <= 254; ++v) {
        const auto level = static_cast<std::uint8_t>(v);
        for (int k = 0; k < 5; ++k) {
            painter.setPixel(r.left + v, r.bottom - k, rgb(0, 0, level));
            painter.setPixel(r.left + v, r.bottom - 5 - k, rgb(level, 0, 0));
            painter.setPixel(r.left + v, r.bottom - 10 - k, rgb(0, level, 0));
        }
    }
    if (running) return;

    // Counts per pixel: the highest level fills the box one and a half times over, unless a
    // spike stands far above the average, which would flatten everything else.
    const auto counted = std::span(counts).first(3 * 255);
    const std::uint32_t max = *std::max_element(counted.begin(), counted.end());
    const double average = std::accumulate(counted.begin(), counted.end(), 0.0) / 768;
    if (max == 0) return;
    double divisor = max / 150.0;
    if (max > 10 * average) divisor = average < 100 ? 100 / (0.75 * average) : 0.04 * average;
    const auto n = [&](int level, int channel) -> std::uint64_t {
        return counts[3 * level + channel];
    };
    const auto heightOf = [&](std::uint64_t h) {
        return r.top + kBoxHeight - static_cast<int>(h / divisor);
    };

    painter.selectPen({rgb(64, 64, 64)});
    for (int x = 1; x <= 253; ++x) {
        std::uint64_t nine = 0;
        for (int level = x - 1; level <= x + 1; ++level)
            nine += n(level, 0) + n(level, 1) + n(level, 2);
        const std::uint64_t h = (nine / 9 + (n(x, 0) + n(x, 1) + n(x, 2)) / 3) / 2;
        painter.moveTo(r.left + x, r.top + kBoxHeight);
        painter.lineTo(r.left + x, heightOf(h));
    }
    const imaging::ColorRef curves[] = {rgb(255, 0, 0), rgb(0, 255, 0), rgb(0, 0, 255)};
    for (int c = 0; c < 3; ++c) {
        painter.selectPen({curves[c]});
        painter.moveTo(r.left + 1, r.top + kBoxHeight);
        for (int x = 1; x <= 253; ++x) {
            const std::uint64_t h = ((n(x - 1, c) + n(x, c) + n(x + 1, c)) / 3 + n(x, c)) / 2;
            painter.lineTo(r.left + x, heightOf(h));
        }
    }
}

HistogramJob::HistogramJob(std::string path, ui::Dialog* window)
    : path_(std::move(path)), window_(window), thread_([this] { work(); }) {}

HistogramJob::~HistogramJob() {
    running_ = false;
    if (thread_.joinable()) thread_.join();
}

void HistogramJob::work() {
    std::unique_ptr<imaging::Bitmap> picture;
    try {
        picture = loadPicture(path_, this);
    } catch (const raw::CImageLoaderException&) {
        // Out of memory in the engine: the page shows no preview and no curves.
    }
    if (picture && running_) {
        countLevels(*picture, counts_);
        preview_ = renderPreview(*picture);
    }
    picture.reset();
    running_ = false;
    if (window_) window_->invalidate();
}

}  // namespace tavrin::shell
