#include "viewer/histogram_plot.hpp"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace tavrin::viewer {

namespace {

constexpr int kLevels = 255;  // levels 0 to 254 count; 255 is clipped light
const QColor kBackground(200, 200, 200);
const QColor kGrid(170, 170, 170);
const QColor kBrightness(64, 64, 64);
constexpr int kRampRow = 5;

std::uint64_t at(const Histogram& counts, int level, int channel) {
    return counts[static_cast<std::size_t>(3 * level + channel)];
}

}  // namespace

double histogramScale(const Histogram& counts) {
    std::uint64_t max = 0, sum = 0;
    for (int i = 0; i < 3 * kLevels; ++i) {
        max = std::max<std::uint64_t>(max, counts[static_cast<std::size_t>(i)]);
        sum += counts[static_cast<std::size_t>(i)];
    }
    if (sum == 0) return 0;
    const double average = static_cast<double>(sum) / 768;
    // One spike dominates: scale by the average instead.
    if (10 * average < static_cast<double>(max))
        return average >= 100 ? 0.04 * average : 100 / (0.75 * average);
    return static_cast<double>(max) / 150;
}

void drawHistogram(QPainter& painter, const QRect& body, const Histogram* histogram) {
    painter.save();
    painter.fillRect(body, kBackground);
    const int left = body.left() + 1;
    const int top = body.top();
    const int base = top + kHistogramPlotHeight - 2;

    painter.setPen(kGrid);
    for (int x : {64, 128, 192})
        painter.drawLine(left + x, top, left + x, top + kHistogramPlotHeight);
    for (int y : {25, 50, 75})
        painter.drawLine(left, top + y, left + kLevels, top + y);

    // The colour ramp under the plot: blue, red and green rows.
    for (int x = 0; x < kLevels; ++x) {
        const int y = top + kHistogramPlotHeight;
        painter.fillRect(left + x, y, 1, kRampRow, QColor(0, 0, x));
        painter.fillRect(left + x, y + kRampRow, 1, kRampRow, QColor(x, 0, 0));
        painter.fillRect(left + x, y + 2 * kRampRow, 1, kRampRow, QColor(0, x, 0));
    }

    const double scale = histogram ? histogramScale(*histogram) : 0;
    if (scale > 0) {
        const Histogram& c = *histogram;
        painter.setClipRect(QRect(left, top, kLevels, kHistogramPlotHeight - 1), Qt::IntersectClip);
        // Heights far above the plot are held just above it; the clip hides them.
        const auto height = [&](std::uint64_t value) {
            return std::max(base - static_cast<double>(value) / scale, top - 1.0);
        };
        painter.setPen(kBrightness);
        for (int x = 1; x < kLevels - 1; ++x) {
            std::uint64_t nine = 0;
            for (int level = x - 1; level <= x + 1; ++level)
                nine += at(c, level, 0) + at(c, level, 1) + at(c, level, 2);
            const std::uint64_t b = ((at(c, x, 0) + at(c, x, 1) + at(c, x, 2)) / 3 + nine / 9) / 2;
            painter.drawLine(QPointF(left + x, base), QPointF(left + x, height(b)));
        }
        const QColor curves[3] = {Qt::red, Qt::green, Qt::blue};
        for (int channel = 0; channel < 3; ++channel) {
            QPainterPath path(QPointF(left, base));
            for (int x = 1; x < kLevels - 1; ++x) {
                const std::uint64_t value =
                    ((at(c, x - 1, channel) + at(c, x, channel) + at(c, x + 1, channel)) / 3 +
                     at(c, x, channel)) /
                    2;
                path.lineTo(left + x, height(value));
            }
            painter.setPen(curves[channel]);
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(path);
        }
    }
    painter.restore();
}

}  // namespace tavrin::viewer
