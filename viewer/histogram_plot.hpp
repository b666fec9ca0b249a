#pragma once
// The information bar's RGB histogram: grid, colour ramp, brightness area and the three curves,
// scaled so that one spike does not flatten the rest.

#include <QRect>

#include "viewer/display_picture.hpp"

class QPainter;

namespace tavrin::viewer {

inline constexpr int kHistogramPlotHeight = 100;

// The scale of the plot: counts per pixel of height; 0 when nothing is counted below level 255.
double histogramScale(const Histogram& counts);

// Draws into body (the section's body rectangle); histogram may be null (no picture).
void drawHistogram(QPainter& painter, const QRect& body, const Histogram* histogram);

}  // namespace tavrin::viewer
