#pragma once
// A decoded picture as the view shows it: the bitmap, drawn without a copy, with halved copies
// for drawing it smaller (made once, on the loader thread, so that a paint at any scale reads
// at most twice the pixels it writes), and its RGB histogram.

#include <QImage>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/imaging/bitmap.hpp"

namespace tavrin::viewer {

// Counters 3R, 3G + 1 and 3B + 2 of every pixel's levels.
using Histogram = std::array<std::uint32_t, 768>;

Histogram histogramOf(const imaging::Bitmap& bitmap);

class DisplayPicture {
  public:
    explicit DisplayPicture(std::unique_ptr<imaging::Bitmap> bitmap);

    int width() const { return bitmap_->width(); }
    int height() const { return bitmap_->height(); }
    const imaging::Bitmap& bitmap() const { return *bitmap_; }
    const Histogram& histogram() const { return histogram_; }

    // Turns the picture in memory by a quarter, clockwise or counter-clockwise.
    void rotate(bool clockwise);

    // The copy to draw at zoom screen pixels per picture pixel: the smallest one that still has
    // at least that many pixels per picture pixel. scale is its size over the picture's.
    const QImage& imageFor(double zoom, double* scaleX, double* scaleY) const;

  private:
    void makeLevels();

    std::unique_ptr<imaging::Bitmap> bitmap_;
    QImage full_;
    std::vector<QImage> halves_;
    Histogram histogram_;
};

}  // namespace tavrin::viewer
