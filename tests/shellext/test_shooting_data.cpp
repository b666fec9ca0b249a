#include <gtest/gtest.h>

#include "shellext/metadata/shooting_data.hpp"

namespace tavrin::shell {
namespace {

TEST(ShootingData, settersKeepTheirLimits) {
    ShootingData s;
    s.setIso(3200);
    EXPECT_EQ(s.isoText, "3200");
    s.setIso(3201);
    EXPECT_EQ(s.isoText, "3200");
    s.setFocalLengthReal(17.5);
    EXPECT_EQ(s.focalLength, "17.5");
    s.setFocalLengthReal(2500);
    s.setFocalLengthReal(0);
    EXPECT_EQ(s.focalLength, "17.5");
    s.setFocalLengthShort(-1);  // below 2500 as a signed number, shown unsigned
    EXPECT_EQ(s.focalLength, "65535");
    s.setFocalLengthRational(183, 10);
    EXPECT_EQ(s.focalLength, "18.3");
    s.setFocalLengthRational(5, 0);
    EXPECT_EQ(s.focalLength, "18.3");
    s.setApertureRational(28, 10);
    EXPECT_EQ(s.aperture, "f 2.8");
    s.setApertureRational(5, 0);
    EXPECT_EQ(s.aperture, "f 0.0");
    s.setDate("  2004:06:09 16:02:35 \n");
    EXPECT_EQ(s.dateTaken, "2004:06:09 16:02:35");
    s.setFlashState(0);
    EXPECT_EQ(s.flash, "An");
    s.setWhiteBalance(8);
    EXPECT_EQ(s.whiteBalance, "Tageslicht-Farbfluoreszenz");
    s.setWhiteBalance(1000);  // no such text: unchanged
    EXPECT_EQ(s.whiteBalance, "Tageslicht-Farbfluoreszenz");
}

TEST(ShootingData, exposureTextsBecomeReducedFractions) {
    ShootingData s;
    const std::pair<const char*, const char*> cases[] = {
        {"0.3", "0.3"}, {"1/125", "1/125"}, {"10/1250 ", "1/125"}, {"30", "30/1"},    {"0", "0/0"},
        {"", "0/0"},    {"5\\10", "1/2"},   {"0/10", "0/0"},       {" 3/ 9x", "1/3"},
    };
    for (const auto& [in, out] : cases) {
        s.setExposureText(in);
        EXPECT_EQ(s.exposureTime, out) << in;
    }
    s.setExposureRational(-2, -6);
    EXPECT_EQ(s.exposureTime, "1/3");
    s.setExposureRational(3, -9);
    EXPECT_EQ(s.exposureTime, "-1/3");
    s.setExposureRational(0, 5);
    EXPECT_EQ(s.exposureTime, "0/5");
    s.setExposureRational(300, 10);
    EXPECT_EQ(s.exposureTime, "30/1");
    s.setExposureRational(1, 1000000);  // reduction stays fast for any size
    EXPECT_EQ(s.exposureTime, "1/1000000");
}

}  // namespace
}  // namespace tavrin::shell
