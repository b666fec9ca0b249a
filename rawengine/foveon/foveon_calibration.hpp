#pragma once
// What the Foveon colour pipeline takes from the camera metadata block, fetched in the order
// the format's blocks are consulted. Each item is absent when the block lacks it or holds it
// in another shape.

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
    // Gains per column: one for all channels (n) or one per channel (n x 3).
    std::optional<CamfMatrix> columnFilter;
    std::optional<std::array<double, 3>> saturationLevel;
    std::optional<SensorArea> keepImageArea;
    std::optional<SensorArea> activeImageArea;
    // The correction of the illuminant that the white-balance description names.
    std::optional<Matrix3> whiteBalanceCorrection;
    // Sensor positions (column, row) of defective pixels.
    std::vector<std::pair<int, int>> badPixels;
};

// Reads the calibration: "DarkShieldColRange", "PostPolyMatrix", "ColumnFilter",
// "SaturationLevel", "KeepImageArea", "ActiveImageArea", the illuminant that the parameter list
// "WhiteBalanceIlluminants" gives for whiteBalance (the header's "WB_DESC") and the matrix
// that "WhiteBalanceCorrections" names for it, then "BadPixels".
FoveonCalibration readFoveonCalibration(const CamfChain& camf, std::string_view whiteBalance);

}  // namespace tavrin::raw
