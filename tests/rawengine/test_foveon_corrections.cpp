#include <gtest/gtest.h>

#include "rawengine/foveon/foveon_curves.hpp"
#include "rawengine/foveon/spatial_gain.hpp"

namespace tavrin::raw {
namespace {

TEST(FoveonToneCurve, runsLinearlyThroughItsPointsAndFlatBeyondThem) {
    const auto curve = foveonMakeCurve("0.2 0.1, 0.6 0.9\t1 1", 1000);
    ASSERT_TRUE(curve);
    ASSERT_EQ(curve->size(), 1001u);
    EXPECT_EQ((*curve)[0], 100);  // held at the first point's height
    EXPECT_EQ((*curve)[200], 100);
    EXPECT_EQ((*curve)[400], 500);  // halfway between the first two
    EXPECT_EQ((*curve)[600], 900);
    EXPECT_EQ((*curve)[800], 950);
    EXPECT_EQ((*curve)[1000], 1000);
    for (std::size_t i = 1; i < curve->size(); ++i)
        ASSERT_GE((*curve)[i], (*curve)[i - 1]);
}

TEST(FoveonToneCurve, refusesTextsThatAreNoCurve) {
    for (const char* text : {"", "0.5 0.5", "0 0 1", "0 0 0.5 0.5 0.5 0.6", "0 0 0.6 0.5 0.4 1",
                             "0 0 1 1.5", "0 -0.1 1 1", "0 0 one 1", "0 0 1 1 nan 1"})
        EXPECT_FALSE(foveonMakeCurve(text, 4095)) << '"' << text << '"';
    EXPECT_FALSE(foveonMakeCurve("0 0 1 1", 0));
    EXPECT_FALSE(foveonMakeCurve("0 0 1 1", 70000));
}

TEST(FoveonToneCurve, eachLayerGetsItsOwnCurveOrNone) {
    const auto curves = foveonMakeCurves(
        {std::string_view("0 0 1 0.5"), std::nullopt, std::string_view("bad")}, {100, 200, 300});
    ASSERT_TRUE(curves[0]);
    EXPECT_EQ(curves[0]->back(), 50);
    EXPECT_FALSE(curves[1]);
    EXPECT_FALSE(curves[2]);
}

CamfMatrix grid(std::array<std::uint32_t, 3> dimensions, std::vector<double> gains) {
    return CamfMatrix{dimensions, std::move(gains)};
}

TEST(FoveonSpatialGain, spreadsTheGridOverThePictureBilinearly) {
    // Per layer: layer 0 rises left to right, layer 1 top to bottom, layer 2 stays 1.
    const auto gain = SpatialGain::fromGrid(grid({2, 2, 3}, {1, 1, 1, 3, 1, 1, 1, 3, 1, 3, 3, 1}));
    ASSERT_TRUE(gain);
    std::vector<float> row;
    gain->rowGains(0, 5, 9, row);
    ASSERT_EQ(row.size(), 15u);
    EXPECT_FLOAT_EQ(row[0], 1);
    EXPECT_FLOAT_EQ(row[2 * 3], 2);  // the middle column
    EXPECT_FLOAT_EQ(row[4 * 3], 3);
    EXPECT_FLOAT_EQ(row[4 * 3 + 1], 1);
    gain->rowGains(8, 5, 9, row);
    EXPECT_FLOAT_EQ(row[1], 3);
    EXPECT_FLOAT_EQ(row[4 * 3 + 2], 1);
    gain->rowGains(4, 5, 9, row);
    EXPECT_FLOAT_EQ(row[1], 2);
    // A picture of one pixel takes the first grid point.
    gain->rowGains(0, 1, 1, row);
    EXPECT_FLOAT_EQ(row[0], 1);
}

TEST(FoveonSpatialGain, refusesGridsItCannotSpread) {
    EXPECT_FALSE(SpatialGain::fromGrid(grid({1, 4, 1}, {1, 1, 1, 1})));
    EXPECT_FALSE(SpatialGain::fromGrid(grid({2, 2, 2}, {1, 1, 1, 1, 1, 1, 1, 1})));
    EXPECT_FALSE(SpatialGain::fromGrid(grid({2, 2, 1}, {1, 1, 1})));
    EXPECT_FALSE(SpatialGain::fromGrid(grid({2, 2, 1}, {1, 0, 1, 1})));
    EXPECT_FALSE(SpatialGain::fromGrid(grid({2, 2, 1}, {1, -1, 1, 1})));
    EXPECT_TRUE(SpatialGain::fromGrid(grid({2, 2, 1}, {1, 2, 1, 1})));
}

}  // namespace
}  // namespace tavrin::raw
