#pragma once
// What the Foveon colour pipeline takes from the camera metadata block, fetched in the order
// the format's blocks are consulted. Each item is absent when the block lacks it or holds it
// in another shape; the texts point into the block.

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "rawengine/foveon/camf_chain.hpp"

namespace tavrin::raw {

// An area of the sensor, inclusive: left, top, right, bottom.
struct SensorArea {
    int left = 0, top = 0, right = 0, bottom = 0;
};

using Matrix3 = std::array<std::array<double, 3>, 3>;

struct FoveonCalibration {
    // Column ranges (first, last; inclusive) covered by the dark shield.
    std::vector<std::pair<int, int>> darkShieldColumns;
    std::optional<Matrix3> postPolyMatrix;
    // How far the dark level of the picture lies from the shield's, per layer: one offset for the
    // whole picture (3 values) or one per sensor row (rows x 3).
    std::optional<CamfMatrix> darkDrift;
    // Gains per column: one for all channels (n) or one per channel (n x 3).
    std::optional<CamfMatrix> columnFilter;
    std::optional<std::array<double, 3>> saturationLevel;
    std::optional<SensorArea> keepImageArea;
    std::optional<SensorArea> activeImageArea;
    // The chroma noise per layer, in raw units: chroma that differs from its surroundings by
    // less is smoothed away, more is kept as colour detail.
    std::optional<std::array<double, 3>> chromaNoise;
    // The factors that bring each layer's stored values to one scale.
    std::optional<std::array<double, 3>> layerScale;
    // The correction of the illuminant that the white-balance description names.
    std::optional<Matrix3> whiteBalanceCorrection;
    // Control points of each layer's tone curve (see foveon_curves.hpp).
    std::array<std::optional<std::string_view>, 3> toneCurves;
    // Gains over the picture's area (see spatial_gain.hpp).
    std::optional<CamfMatrix> spatialGain;
    // Sensor positions (column, row) of defective pixels.
    std::vector<std::pair<int, int>> badPixels;
};

// Reads the calibration: "DarkShieldColRange", "PostPolyMatrix", "DarkDrift", "ColumnFilter",
// "SaturationLevel", "KeepImageArea", "ActiveImageArea", "ChromaDQ", then "ColorDQ" (or
// "ColorDQCamRGB" when the parameter list "IncludeBlocks" names a "ColorDQ" block), the
// illuminant that the parameter list "WhiteBalanceIlluminants" gives for whiteBalance (the
// header's "WB_DESC") and the matrix that "WhiteBalanceCorrections" names for it, the tone curves
// ("Red", "Green", "Blue", else "All", of the parameter list "ToneCurves"), "SpatialGain" and
// "BadPixels". Where "IncludeBlocks" names another block for "ToneCurves" or "SpatialGain",
// that block is read instead.
FoveonCalibration readFoveonCalibration(const CamfChain& camf, std::string_view whiteBalance);

}  // namespace tavrin::raw
