#pragma once
// Gains that even out the fall-off of light across the sensor: a coarse grid of gains spread
// evenly over the picture, one for all layers or one per layer at each grid point, taken
// bilinearly between the points.

#include <optional>
#include <vector>

#include "rawengine/foveon/camf_chain.hpp"

namespace tavrin::raw {

class SpatialGain {
  public:
    // None unless grid is rows x columns (x 1 or 3 layers) of at least 2 x 2 positive gains.
    static std::optional<SpatialGain> fromGrid(const CamfMatrix& grid);

    // The gains of each pixel of row in a picture of width x height: width x 3 values.
    void rowGains(int row, int width, int height, std::vector<float>& out) const;

  private:
    SpatialGain(const CamfMatrix& grid, int layers);

    float at(int gridRow, int gridCol, int layer) const;

    int rows_, cols_, layers_;
    std::vector<float> gains_;
};

}  // namespace tavrin::raw
