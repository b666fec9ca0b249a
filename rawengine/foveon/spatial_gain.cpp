#include "rawengine/foveon/spatial_gain.hpp"

#include <algorithm>
#include <cmath>

namespace tavrin::raw {

std::optional<SpatialGain> SpatialGain::fromGrid(const CamfMatrix& grid) {
    const auto rows = grid.dimensions[0], cols = grid.dimensions[1], layers = grid.dimensions[2];
    if (rows < 2 || cols < 2 || (layers != 1 && layers != 3)) return std::nullopt;
    if (grid.elements.size() != std::size_t{rows} * cols * layers) return std::nullopt;
    for (const double gain : grid.elements) {
        if (!(gain > 0 && std::isfinite(gain))) return std::nullopt;
    }
    return SpatialGain(grid, static_cast<int>(layers));
}

SpatialGain::SpatialGain(const CamfMatrix& grid, int layers)
    : rows_(static_cast<int>(grid.dimensions[0])),
      cols_(static_cast<int>(grid.dimensions[1])),
      layers_(layers),
      gains_(grid.elements.begin(), grid.elements.end()) {}

float SpatialGain::at(int gridRow, int gridCol, int layer) const {
    const std::size_t point = static_cast<std::size_t>(gridRow) * static_cast<std::size_t>(cols_) +
                              static_cast<std::size_t>(gridCol);
    return gains_[point * static_cast<std::size_t>(layers_) +
                  static_cast<std::size_t>(layers_ == 1 ? 0 : layer)];
}

void SpatialGain::rowGains(int row, int width, int height, std::vector<float>& out) const {
    out.resize(static_cast<std::size_t>(width) * 3);
    // The row's place among the grid's rows, the first and last grid rows on the picture's edges.
    const float r = height > 1 ? static_cast<float>(row) * static_cast<float>(rows_ - 1) /
                                     static_cast<float>(height - 1)
                               : 0.0f;
    const int r0 = std::min(static_cast<int>(r), rows_ - 2);
    const float fr = r - static_cast<float>(r0);
    for (int col = 0; col < width; ++col) {
        const float c = width > 1 ? static_cast<float>(col) * static_cast<float>(cols_ - 1) /
                                        static_cast<float>(width - 1)
                                  : 0.0f;
        const int c0 = std::min(static_cast<int>(c), cols_ - 2);
        const float fc = c - static_cast<float>(c0);
        for (int layer = 0; layer < 3; ++layer) {
            const float top = at(r0, c0, layer) * (1 - fc) + at(r0, c0 + 1, layer) * fc;
            const float bottom = at(r0 + 1, c0, layer) * (1 - fc) + at(r0 + 1, c0 + 1, layer) * fc;
            out[static_cast<std::size_t>(col) * 3 + static_cast<std::size_t>(layer)] =
                top * (1 - fr) + bottom * fr;
        }
    }
}

}  // namespace tavrin::raw
