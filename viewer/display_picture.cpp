#include "viewer/display_picture.hpp"

#include <cmath>

#include "viewer/view_geometry.hpp"

namespace tavrin::viewer {

namespace {

// Halved copies stop once the longer side is this short.
constexpr int kSmallestLevel = 128;

QImage wrap(imaging::Bitmap& bitmap) {
    return QImage(bitmap.row(0), bitmap.width(), bitmap.height(), bitmap.stride(),
                  QImage::Format_BGR888);
}

// Every 2 x 2 block of a picture of blue-green-red or 32-bit (blue, green, red, unused) pixels
// averaged into one 32-bit pixel.
template <int BytesPerPixel>
QImage halve(const std::uint8_t* bits, int width, int height, qsizetype stride) {
    QImage half(width / 2, height / 2, QImage::Format_RGB32);
    if (half.isNull()) return half;
    for (int y = 0; y < half.height(); ++y) {
        const std::uint8_t* top = bits + 2 * y * stride;
        const std::uint8_t* bottom = top + stride;
        auto* out = reinterpret_cast<std::uint32_t*>(half.scanLine(y));
        for (int x = 0; x < half.width(); ++x) {
            const int i = 2 * x * BytesPerPixel;
            const auto sum = [&](int channel) {
                return (top[i + channel] + top[i + BytesPerPixel + channel] + bottom[i + channel] +
                        bottom[i + BytesPerPixel + channel] + 2) >>
                       2;
            };
            out[x] = 0xFF000000u | static_cast<std::uint32_t>(sum(2)) << 16 |
                     static_cast<std::uint32_t>(sum(1)) << 8 | static_cast<std::uint32_t>(sum(0));
        }
    }
    return half;
}

}  // namespace

Histogram histogramOf(const imaging::Bitmap& bitmap) {
    Histogram counts{};
    for (int y = 0; y < bitmap.height(); ++y) {
        const std::uint8_t* p = bitmap.row(y);
        for (int x = 0; x < bitmap.width(); ++x, p += 3) {
            ++counts[3 * p[2]];
            ++counts[3 * p[1] + 1];
            ++counts[3 * p[0] + 2];
        }
    }
    return counts;
}

DisplayPicture::DisplayPicture(std::unique_ptr<imaging::Bitmap> bitmap)
    : bitmap_(std::move(bitmap)), histogram_(histogramOf(*bitmap_)) {
    makeLevels();
}

QSize DisplayPicture::navigationSize(int width, int height) {
    constexpr int kWidth = 276, kHeight = 200;
    const double r1 = static_cast<double>(kWidth) / width;
    const double r2 = static_cast<double>(kHeight) / height;
    if (r2 < r1) return {static_cast<int>(width * r2), kHeight};
    if (r2 > r1) return {kWidth, static_cast<int>(height * r1)};
    return {kWidth, kHeight};
}

void DisplayPicture::makeLevels() {
    full_ = wrap(*bitmap_);
    halves_.clear();
    // The navigation thumbnail comes from the smallest copy still larger than it.
    const auto makeNavigation = [this] {
        const QSize size = navigationSize(width(), height()).expandedTo(QSize(1, 1));
        double scaleX = 1, scaleY = 1;
        const double zoom = std::max(static_cast<double>(size.width()) / width(),
                                     static_cast<double>(size.height()) / height());
        navigation_ = imageFor(zoom, &scaleX, &scaleY)
                          .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                          .convertToFormat(QImage::Format_RGB32);
    };
    if (std::max(width(), height()) <= kSmallestLevel || std::min(width(), height()) < 2) {
        makeNavigation();
        return;
    }
    // Format_RGB32 holds blue, green, red, unused in memory, as the bitmap's first three bytes.
    QImage level = halve<3>(bitmap_->row(0), width(), height(), bitmap_->stride());
    while (!level.isNull()) {
        const bool last = std::max(level.width(), level.height()) <= kSmallestLevel ||
                          std::min(level.width(), level.height()) < 2;
        QImage next =
            last ? QImage()
                 : halve<4>(level.constBits(), level.width(), level.height(), level.bytesPerLine());
        halves_.push_back(std::move(level));
        level = std::move(next);
    }
    makeNavigation();
}

void DisplayPicture::rotate(bool clockwise) {
    bitmap_->rotateFlip(clockwise ? imaging::RotateFlip::Rotate90FlipNone
                                  : imaging::RotateFlip::Rotate270FlipNone);
    makeLevels();
    fitted_ = QImage();
}

void DisplayPicture::prepareFitted(int areaWidth, int areaHeight) {
    fitted_ = QImage();
    if (areaWidth <= 0 || areaHeight <= 0) return;
    ViewGeometry view;
    view.fit({areaWidth, areaHeight}, {width(), height()});
    const double zoom = view.zoom();
    if (zoom >= 1) return;
    double scaleX = 1, scaleY = 1;
    const QImage& source = imageFor(zoom, &scaleX, &scaleY);
    const QSize size(static_cast<int>(std::lround(width() * zoom)),
                     static_cast<int>(std::lround(height() * zoom)));
    fitted_ = source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                  .convertToFormat(QImage::Format_RGB32);
}

const QImage* DisplayPicture::fitted(const QSizeF& size) const {
    if (fitted_.isNull() || std::abs(fitted_.width() - size.width()) > 0.5 ||
        std::abs(fitted_.height() - size.height()) > 0.5) {
        return nullptr;
    }
    return &fitted_;
}

const QImage& DisplayPicture::imageFor(double zoom, double* scaleX, double* scaleY) const {
    const QImage* chosen = &full_;
    for (const QImage& level : halves_) {
        if (static_cast<double>(level.width()) / width() < zoom ||
            static_cast<double>(level.height()) / height() < zoom) {
            break;
        }
        chosen = &level;
    }
    *scaleX = static_cast<double>(chosen->width()) / width();
    *scaleY = static_cast<double>(chosen->height()) / height();
    return *chosen;
}

}  // namespace tavrin::viewer
