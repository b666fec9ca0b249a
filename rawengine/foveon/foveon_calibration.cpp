#include "rawengine/foveon/foveon_calibration.hpp"

#include <cmath>
#include <limits>

namespace tavrin::raw {
namespace {

// An element as a sensor coordinate, or none when it is not a whole number in range.
std::optional<int> coordinate(double value) {
    if (!(value >= 0 && value <= std::numeric_limits<int>::max()) || value != std::floor(value))
        return std::nullopt;
    return static_cast<int>(value);
}

std::vector<std::pair<int, int>> pairs(const std::optional<CamfMatrix>& m) {
    std::vector<std::pair<int, int>> out;
    if (!m) return out;
    for (std::size_t i = 0; i + 1 < m->elements.size(); i += 2) {
        const auto a = coordinate(m->elements[i]), b = coordinate(m->elements[i + 1]);
        if (a && b) out.emplace_back(*a, *b);
    }
    return out;
}

std::optional<Matrix3> matrix3(const std::optional<CamfMatrix>& m) {
    if (!m || m->elements.size() != 9) return std::nullopt;
    Matrix3 out{};
    for (std::size_t i = 0; i < 9; ++i)
        out[i / 3][i % 3] = m->elements[i];
    return out;
}

std::optional<SensorArea> area(const std::optional<CamfMatrix>& m) {
    if (!m || m->elements.size() != 4) return std::nullopt;
    std::array<int, 4> v{};
    for (std::size_t i = 0; i < 4; ++i) {
        const auto c = coordinate(m->elements[i]);
        if (!c) return std::nullopt;
        v[i] = *c;
    }
    if (v[0] > v[2] || v[1] > v[3]) return std::nullopt;
    return SensorArea{v[0], v[1], v[2], v[3]};
}

}  // namespace

FoveonCalibration readFoveonCalibration(const CamfChain& camf, std::string_view whiteBalance) {
    FoveonCalibration c;
    c.darkShieldColumns = pairs(camf.foveonCamfMatrix("DarkShieldColRange"));
    c.postPolyMatrix = matrix3(camf.foveonCamfMatrix("PostPolyMatrix"));
    c.columnFilter = camf.foveonCamfMatrix("ColumnFilter");
    if (const auto s = camf.foveonCamfMatrix("SaturationLevel"); s && s->elements.size() == 3)
        c.saturationLevel = std::array<double, 3>{s->elements[0], s->elements[1], s->elements[2]};
    c.keepImageArea = area(camf.foveonCamfMatrix("KeepImageArea"));
    c.activeImageArea = area(camf.foveonCamfMatrix("ActiveImageArea"));
    if (const auto illuminant = camf.parameter("WhiteBalanceIlluminants", whiteBalance)) {
        if (const auto name = camf.parameter("WhiteBalanceCorrections", *illuminant))
            c.whiteBalanceCorrection = matrix3(camf.foveonCamfMatrix(*name));
    }
    c.badPixels = pairs(camf.foveonCamfMatrix("BadPixels"));
    return c;
}

}  // namespace tavrin::raw
