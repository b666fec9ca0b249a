#pragma once
// Drawing on a bitmap: clear, and drawing a source rectangle of another bitmap into a
// destination rectangle through a world transform (translate, rotate).

#include <cstdint>

#include "platform/imaging/bitmap.hpp"

namespace tavrin::imaging {

// The values of the platform's interpolation modes.
enum class InterpolationMode {
    Default = 0,
    LowQuality = 1,
    HighQuality = 2,
    Bilinear = 3,
    Bicubic = 4,
    NearestNeighbor = 5,
    HighQualityBilinear = 6,
    HighQualityBicubic = 7,
};

// Smoothing applies to lines and shapes only; kept for the callers that set it.
enum class SmoothingMode { Default = 0, HighSpeed = 1, HighQuality = 2, None = 3, AntiAlias = 4 };

// A 2 x 3 affine matrix in row-vector form: (x, y) maps to (x*m11 + y*m21 + dx, x*m12 + y*m22 +
// dy).
struct Matrix {
    double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;
};

class Graphics {
  public:
    explicit Graphics(Bitmap& target) : target_(target) {}

    void clear(std::uint32_t argb) { target_.clear(argb); }
    void setInterpolationMode(InterpolationMode mode) { interpolation_ = mode; }
    void setSmoothingMode(SmoothingMode mode) { smoothing_ = mode; }
    InterpolationMode interpolationMode() const { return interpolation_; }
    SmoothingMode smoothingMode() const { return smoothing_; }

    // As the platform does, a new operation applies to points before the existing ones
    // (Prepend) unless it is appended (applied after them).
    enum class Order { Prepend, Append };
    void resetTransform() { transform_ = Matrix{}; }
    void translateTransform(double dx, double dy, Order order = Order::Prepend);
    void rotateTransform(double degrees, Order order = Order::Prepend);
    const Matrix& transform() const { return transform_; }

    Status drawImage(const Bitmap& source, const RectF& dst, const RectF& src);
    Status drawImage(const Bitmap& source, const RectF& dst);

  private:
    void combine(const Matrix& m, Order order);
    Bitmap& target_;
    InterpolationMode interpolation_ = InterpolationMode::Bilinear;
    SmoothingMode smoothing_ = SmoothingMode::None;
    Matrix transform_;
};

}  // namespace tavrin::imaging
