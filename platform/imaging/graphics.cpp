#include "platform/imaging/graphics.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/imaging/resample.hpp"

namespace tavrin::imaging {
namespace {

Filter filterFor(InterpolationMode mode) {
    switch (mode) {
        case InterpolationMode::NearestNeighbor:
            return Filter::Nearest;
        case InterpolationMode::Bilinear:
        case InterpolationMode::HighQualityBilinear:
        case InterpolationMode::Default:
        case InterpolationMode::LowQuality:
            return Filter::Linear;
        default:
            return Filter::Cubic;
    }
}

constexpr double kEpsilon = 1e-9;

}  // namespace

namespace {

// a then b: points go through a first.
Matrix multiply(const Matrix& a, const Matrix& b) {
    return Matrix{a.m11 * b.m11 + a.m12 * b.m21,      a.m11 * b.m12 + a.m12 * b.m22,
                  a.m21 * b.m11 + a.m22 * b.m21,      a.m21 * b.m12 + a.m22 * b.m22,
                  a.dx * b.m11 + a.dy * b.m21 + b.dx, a.dx * b.m12 + a.dy * b.m22 + b.dy};
}

}  // namespace

void Graphics::combine(const Matrix& m, Order order) {
    transform_ = order == Order::Prepend ? multiply(m, transform_) : multiply(transform_, m);
}

void Graphics::translateTransform(double dx, double dy, Order order) {
    combine(Matrix{1, 0, 0, 1, dx, dy}, order);
}

void Graphics::rotateTransform(double degrees, Order order) {
    const double a = degrees * std::numbers::pi / 180.0;
    const double c = std::cos(a), s = std::sin(a);
    combine(Matrix{c, s, -s, c, 0, 0}, order);
}

Status Graphics::drawImage(const Bitmap& source, const RectF& dst) {
    return drawImage(
        source, dst,
        RectF{0, 0, static_cast<float>(source.width()), static_cast<float>(source.height())});
}

Status Graphics::drawImage(const Bitmap& source, const RectF& dst, const RectF& src) {
    if (!(src.width > 0 && src.height > 0 && dst.width > 0 && dst.height > 0)) {
        return Status::InvalidParameter;
    }
    const Filter filter = filterFor(interpolation_);
    const Matrix& m = transform_;
    if (std::fabs(m.m12) < kEpsilon && std::fabs(m.m21) < kEpsilon && m.m11 > 0 && m.m22 > 0) {
        // Scale and translation only: the separable path.
        const RectF device{
            static_cast<float>(dst.x * m.m11 + m.dx), static_cast<float>(dst.y * m.m22 + m.dy),
            static_cast<float>(dst.width * m.m11), static_cast<float>(dst.height * m.m22)};
        drawScaled(source, src, target_, device, filter);
        return Status::Ok;
    }

    // Any other transform: bring the source to the drawn scale first (so downscaling stays
    // prefiltered), then map every covered device pixel back into it.
    const double sx = std::hypot(m.m11, m.m12) * dst.width;   // drawn width in device pixels
    const double sy = std::hypot(m.m21, m.m22) * dst.height;  // drawn height
    const int pw = std::max(1, static_cast<int>(std::lround(std::min<double>(sx, src.width))));
    const int ph = std::max(1, static_cast<int>(std::lround(std::min<double>(sy, src.height))));
    const auto scaled = resample(source, src, pw, ph, filter);
    if (!scaled) return Status::OutOfMemory;

    const double det = m.m11 * m.m22 - m.m12 * m.m21;
    if (std::fabs(det) < kEpsilon) return Status::InvalidParameter;
    // Device corners of the destination rectangle give the pixels to visit.
    double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
    for (const auto& [x, y] :
         {std::pair{dst.x, dst.y}, std::pair{dst.x + dst.width, dst.y},
          std::pair{dst.x, dst.y + dst.height}, std::pair{dst.x + dst.width, dst.y + dst.height}}) {
        const double tx = x * m.m11 + y * m.m21 + m.dx, ty = x * m.m12 + y * m.m22 + m.dy;
        minX = std::min(minX, tx), maxX = std::max(maxX, tx);
        minY = std::min(minY, ty), maxY = std::max(maxY, ty);
    }
    const int px0 = std::max(0, static_cast<int>(std::floor(minX)));
    const int py0 = std::max(0, static_cast<int>(std::floor(minY)));
    const int px1 = std::min(target_.width(), static_cast<int>(std::ceil(maxX)));
    const int py1 = std::min(target_.height(), static_cast<int>(std::ceil(maxY)));
    const Rect whole{0, 0, pw, ph};
    const double kx = pw / static_cast<double>(dst.width),
                 ky = ph / static_cast<double>(dst.height);
    for (int py = py0; py < py1; ++py) {
        std::uint8_t* out = target_.row(py);
        for (int px = px0; px < px1; ++px) {
            // Inverse transform of the pixel centre into destination-rectangle coordinates.
            const double tx = px + 0.5 - m.dx, ty = py + 0.5 - m.dy;
            const double x = (tx * m.m22 - ty * m.m21) / det - dst.x;
            const double y = (ty * m.m11 - tx * m.m12) / det - dst.y;
            if (x < 0 || y < 0 || x >= dst.width || y >= dst.height) continue;
            sample(*scaled, static_cast<float>(x * kx), static_cast<float>(y * ky), whole, filter,
                   out + px * 3);
        }
    }
    return Status::Ok;
}

}  // namespace tavrin::imaging
