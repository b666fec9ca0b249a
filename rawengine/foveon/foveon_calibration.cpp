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

// One value for every layer, or one per layer.
std::optional<std::array<double, 3>> perLayer(const std::optional<CamfMatrix>& m) {
    if (!m || (m->elements.size() != 1 && m->elements.size() != 3)) return std::nullopt;
    const auto& e = m->elements;
    std::array<double, 3> out{e[0], e[e.size() / 3], e[e.size() - 1]};
    for (const double v : out) {
        if (!(v > 0 && std::isfinite(v))) return std::nullopt;
    }
    return out;
}

// The block that holds concern: the one "IncludeBlocks" names for it, else its own name.
std::string_view includedBlock(const CamfChain& camf, std::string_view concern) {
    return camf.parameter("IncludeBlocks", concern).value_or(concern);
}

}  // namespace

FoveonCalibration readFoveonCalibration(const CamfChain& camf, std::string_view whiteBalance) {
    FoveonCalibration c;
    c.darkShieldColumns = pairs(camf.foveonCamfMatrix("DarkShieldColRange"));
    c.postPolyMatrix = matrix3(camf.foveonCamfMatrix("PostPolyMatrix"));
    c.darkDrift = camf.foveonCamfMatrix("DarkDrift");
    c.columnFilter = camf.foveonCamfMatrix("ColumnFilter");
    if (const auto s = camf.foveonCamfMatrix("SaturationLevel"); s && s->elements.size() == 3)
        c.saturationLevel = std::array<double, 3>{s->elements[0], s->elements[1], s->elements[2]};
    c.keepImageArea = area(camf.foveonCamfMatrix("KeepImageArea"));
    c.activeImageArea = area(camf.foveonCamfMatrix("ActiveImageArea"));
    c.chromaNoise = perLayer(camf.foveonCamfMatrix("ChromaDQ"));
    c.layerScale = perLayer(camf.foveonCamfMatrix(
        camf.parameter("IncludeBlocks", "ColorDQ") ? "ColorDQCamRGB" : "ColorDQ"));
    if (const auto illuminant = camf.parameter("WhiteBalanceIlluminants", whiteBalance)) {
        if (const auto name = camf.parameter("WhiteBalanceCorrections", *illuminant))
            c.whiteBalanceCorrection = matrix3(camf.foveonCamfMatrix(*name));
    }
    const std::string_view curves = includedBlock(camf, "ToneCurves");
    const auto all = camf.parameter(curves, "All");
    for (std::size_t layer = 0; const char* name : {"Red", "Green", "Blue"}) {
        const auto own = camf.parameter(curves, name);
        c.toneCurves[layer++] = own ? own : all;
    }
    c.spatialGain = camf.foveonCamfMatrix(includedBlock(camf, "SpatialGain"));
    c.badPixels = pairs(camf.foveonCamfMatrix("BadPixels"));
    return c;
}

}  // namespace tavrin::raw
