#include "rawengine/foveon/foveon_interpolate.hpp"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

#include "rawengine/colour/colour_steps.hpp"
#include "rawengine/foveon/chroma_smoothing.hpp"
#include "rawengine/foveon/foveon_calibration.hpp"
#include "rawengine/foveon/foveon_curves.hpp"
#include "rawengine/foveon/spatial_gain.hpp"
#include "rawengine/loader_exception.hpp"

namespace tavrin::raw {
namespace {

constexpr int kMaxValue = 65535;

struct Picture {
    std::uint16_t* pixels;
    int width, height;

    std::uint16_t* at(int row, int col) const {
        return pixels + (static_cast<std::size_t>(row) * static_cast<std::size_t>(width) +
                         static_cast<std::size_t>(col)) *
                            4;
    }
};

// The dark level of each channel: the mean of the dark-shield columns, which no light reaches;
// without them, of the darkest hundredth of the rows, the nearest the picture has to black.
std::array<double, 3> darkLevel(const Picture& p, const FoveonCalibration& calibration) {
    std::array<double, 3> sum{};
    double count = 0;
    for (const auto& [first, last] : calibration.darkShieldColumns) {
        for (int col = std::max(first, 0); col <= std::min(last, p.width - 1); ++col) {
            for (int row = 0; row < p.height; ++row) {
                for (std::size_t c = 0; c < 3; ++c)
                    sum[c] += p.at(row, col)[c];
                ++count;
            }
        }
    }
    if (count == 0) {
        std::vector<std::pair<double, int>> rows;
        for (int row = 0; row < p.height; ++row) {
            double brightness = 0;
            for (int col = 0; col < p.width; ++col)
                brightness += p.at(row, col)[0] + p.at(row, col)[1] + p.at(row, col)[2];
            rows.emplace_back(brightness, row);
        }
        const std::size_t darkest = std::max<std::size_t>(1, rows.size() / 100);
        std::partial_sort(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(darkest),
                          rows.end());
        for (std::size_t i = 0; i < darkest; ++i) {
            for (int col = 0; col < p.width; ++col) {
                for (std::size_t c = 0; c < 3; ++c)
                    sum[c] += p.at(rows[i].second, col)[c];
                ++count;
            }
        }
    }
    for (double& s : sum)
        s /= std::max(count, 1.0);
    return sum;
}

// Defective pixels take the mean of their sound neighbours (before smoothing, so that they do
// not spread).
void repairBadPixels(const Picture& p, const std::vector<std::pair<int, int>>& bad) {
    auto isBad = [&](int col, int row) {
        return std::find(bad.begin(), bad.end(), std::pair{col, row}) != bad.end();
    };
    for (const auto& [col, row] : bad) {
        if (col >= p.width || row >= p.height) continue;
        std::array<int, 3> sum{};
        int count = 0;
        for (const auto& [dc, dr] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) {
            const int c = col + dc, r = row + dr;
            if (c < 0 || r < 0 || c >= p.width || r >= p.height || isBad(c, r)) continue;
            for (std::size_t k = 0; k < 3; ++k)
                sum[k] += p.at(r, c)[k];
            ++count;
        }
        if (!count) continue;
        for (std::size_t k = 0; k < 3; ++k)
            p.at(row, col)[k] = static_cast<std::uint16_t>(sum[k] / count);
    }
}

// The kept area (or else the active one) within the sensor: the picture shown.
SensorArea cropArea(const Picture& p, const FoveonCalibration& calibration) {
    const SensorArea whole{0, 0, p.width - 1, p.height - 1};
    for (const auto& area : {calibration.keepImageArea, calibration.activeImageArea}) {
        if (area && area->right < p.width && area->bottom < p.height) return *area;
    }
    return whole;
}

// Gain of column col for layer c from the column filter (1 where it has none).
double columnGain(const FoveonCalibration& calibration, int width, int col, std::size_t c) {
    const auto& filter = calibration.columnFilter;
    if (!filter || filter->dimensions[0] != static_cast<std::uint32_t>(width)) return 1.0;
    const std::size_t perColumn = filter->elements.size() / static_cast<std::size_t>(width);
    if (perColumn == 1) return filter->elements[static_cast<std::size_t>(col)];
    if (perColumn == 3) return filter->elements[static_cast<std::size_t>(col) * 3 + c];
    return 1.0;
}

// The dark level of a sensor row: the measured one moved by the drift, which is one offset for
// the picture or one per sensor row.
std::array<double, 3> rowDark(const std::array<double, 3>& dark,
                              const FoveonCalibration& calibration, int sensorHeight, int row) {
    const auto& drift = calibration.darkDrift;
    if (!drift) return dark;
    std::size_t first = 0;
    if (drift->elements.size() == static_cast<std::size_t>(sensorHeight) * 3)
        first = static_cast<std::size_t>(row) * 3;
    else if (drift->elements.size() != 3)
        return dark;
    return {dark[0] + drift->elements[first], dark[1] + drift->elements[first + 1],
            dark[2] + drift->elements[first + 2]};
}

// Subtracts the dark level, applies the column and spatial gains and the layers' scale, and
// moves the crop to the top left; returns the white each layer reaches.
std::array<double, 3> correctAndCrop(Picture& p, const FoveonCalibration& calibration,
                                     const std::array<double, 3>& dark) {
    const SensorArea area = cropArea(p, calibration);
    const int width = area.right - area.left + 1, height = area.bottom - area.top + 1;
    const std::array<double, 3> scale = calibration.layerScale.value_or(std::array{1.0, 1.0, 1.0});
    // Column gains and layer scale together, per column.
    std::vector<std::array<float, 3>> gains(static_cast<std::size_t>(width));
    for (int col = 0; col < width; ++col) {
        for (std::size_t c = 0; c < 3; ++c)
            gains[static_cast<std::size_t>(col)][c] =
                static_cast<float>(columnGain(calibration, p.width, area.left + col, c) * scale[c]);
    }
    const auto spatial =
        calibration.spatialGain ? SpatialGain::fromGrid(*calibration.spatialGain) : std::nullopt;
    std::vector<float> spatialRow(static_cast<std::size_t>(width) * 3, 1.0f);
    Picture out{p.pixels, width, height};
    // Row by row towards the start: a row never overwrites one still to be read.
    for (int row = 0; row < height; ++row) {
        const auto black = rowDark(dark, calibration, p.height, area.top + row);
        if (spatial) spatial->rowGains(row, width, height, spatialRow);
        for (int col = 0; col < width; ++col) {
            const std::uint16_t* from = p.at(area.top + row, area.left + col);
            std::uint16_t* to = out.at(row, col);
            for (std::size_t c = 0; c < 3; ++c) {
                const double v = (from[c] - black[c]) * gains[static_cast<std::size_t>(col)][c] *
                                 spatialRow[static_cast<std::size_t>(col) * 3 + c];
                // Written so that a gain product that is not a number gives black.
                to[c] = v > 0 ? static_cast<std::uint16_t>(std::min(v, double{kMaxValue})) : 0;
            }
            to[3] = 0;
        }
    }
    p = out;
    std::array<double, 3> white{};
    for (std::size_t c = 0; c < 3; ++c) {
        const double saturation =
            calibration.saturationLevel ? (*calibration.saturationLevel)[c] : kMaxValue;
        white[c] = std::clamp((saturation - dark[c]) * scale[c], 1.0, double{kMaxValue});
    }
    return white;
}

// Brings each layer through its tone curve; the white becomes where the curve takes it.
void applyToneCurves(const Picture& p, const FoveonCalibration& calibration,
                     std::array<double, 3>& white) {
    std::array<int, 3> top{};
    for (std::size_t c = 0; c < 3; ++c)
        top[c] = static_cast<int>(white[c]);
    const auto curves = foveonMakeCurves(calibration.toneCurves, top);
    const std::size_t pixels =
        static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height);
    for (std::size_t c = 0; c < 3; ++c) {
        const auto& curve = curves[c];
        if (!curve) continue;
        const std::uint16_t* table = curve->data();
        const std::size_t last = curve->size() - 1;
        for (std::uint16_t* v = p.pixels + c; v < p.pixels + pixels * 4; v += 4)
            *v = table[std::min<std::size_t>(*v, last)];
        white[c] = std::max<double>(curve->back(), 1.0);
    }
}

// The conversion to sRGB: the post-polynomial matrix, else the fixed Foveon set, after the
// illuminant's correction; each row scaled to sum 1, so that neutral stays neutral.
void setConversion(DecodeState& s, const FoveonCalibration& calibration) {
    Matrix3 m{};
    if (calibration.postPolyMatrix) {
        m = *calibration.postPolyMatrix;
    } else {
        setFixedColourMatrix(s, 0);
        for (std::size_t r = 0; r < 3; ++r) {
            for (std::size_t c = 0; c < 3; ++c)
                m[r][c] = s.colour.colourMatrix[r][c];
        }
    }
    if (const auto& wb = calibration.whiteBalanceCorrection) {
        Matrix3 product{};
        for (std::size_t r = 0; r < 3; ++r) {
            for (std::size_t c = 0; c < 3; ++c) {
                for (std::size_t k = 0; k < 3; ++k)
                    product[r][c] += m[r][k] * (*wb)[k][c];
            }
        }
        m = product;
    }
    for (std::size_t r = 0; r < 3; ++r) {
        const double sum = m[r][0] + m[r][1] + m[r][2];
        for (std::size_t c = 0; c < 4; ++c)
            s.colour.colourMatrix[r][c] =
                c < 3 && sum != 0 ? static_cast<float>(m[r][c] / sum) : 0.0f;
    }
    s.sensor.useColourMatrix = true;
}

}  // namespace

void foveonInterpolate(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    Geometry& g = s.geometry;
    if (!s.image || g.width <= 0 || g.height <= 0) return;
    const CamfChain camf(
        std::span<const std::uint8_t>(s.metaData, s.metaData ? s.container.metaLength : 0));
    const FoveonCalibration calibration = readFoveonCalibration(camf, s.id.model2);

    Picture picture{s.image.get(), g.width, g.height};
    std::array<double, 3> white{};
    try {
        repairBadPixels(picture, calibration.badPixels);
        const auto dark = darkLevel(picture, calibration);
        white = correctAndCrop(picture, calibration, dark);
        applyToneCurves(picture, calibration, white);
    } catch (const std::bad_alloc&) {
        throw CImageLoaderException::outOfMemory("foveon_interpolate()");
    }
    g.width = g.workWidth = picture.width;
    g.height = g.workHeight = picture.height;
    const int outputWhite = static_cast<int>(*std::min_element(white.begin(), white.end()));
    smoothChroma(picture.pixels, picture.width, picture.height, outputWhite,
                 calibration.chromaNoise);
    setConversion(s, calibration);
    s.sensor.whiteLevel = outputWhite;
    s.sensor.clipLevel = outputWhite;
}

}  // namespace tavrin::raw
