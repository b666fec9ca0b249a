#pragma once
// A decoded picture as the view shows it: the bitmap, drawn without a copy, with halved copies
// for drawing it smaller (so that a paint at any scale reads at most twice the pixels it
// writes), a copy at the size that fits the view, and its RGB histogram. All of them are made
// on the loader thread, so that the step to a preloaded picture costs the user-interface thread
// no more than a copy of the fitted pixels to the screen.

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

    // Makes the copy of the picture fitted into an area of that size (nothing when the picture
    // fits unscaled).
    void prepareFitted(int areaWidth, int areaHeight);
    // That copy when it has the size given (to the pixel), else null.
    const QImage* fitted(const QSizeF& size) const;

    // The picture fitted into the navigation pane's 276 x 200 pixels.
    const QImage& navigationThumbnail() const { return navigation_; }
    static QSize navigationSize(int width, int height);

  private:
    void makeLevels();

    std::unique_ptr<imaging::Bitmap> bitmap_;
    QImage full_;
    std::vector<QImage> halves_;
    QImage fitted_;
    QImage navigation_;
    Histogram histogram_;
};

}  // namespace tavrin::viewer
