#include <gtest/gtest.h>

#include <algorithm>

#include "resources/icons.hpp"

namespace tavrin::resources {
namespace {

TEST(Icons, everyTypeIconExistsInItsFourSizesAndTheCrossInOne) {
    for (int id = kFirstTypeIcon; id < kCrossIcon; ++id) {
        for (int size : {16, 32, 48, 64}) {
            const auto icon = loadIconImage(id, size);
            ASSERT_TRUE(icon) << id << " " << size;
            EXPECT_EQ(icon->argb.size(), static_cast<std::size_t>(size * size));
            if (id != 209) {
                EXPECT_EQ(icon->at(0, 0) >> 24, 0u) << "a transparent background";
            }
            const auto paper = std::count(icon->argb.begin(), icon->argb.end(), 0xFFFFFFFFu);
            EXPECT_GT(paper, size * size / 12) << id << " " << size;  // the sheet of the figure
        }
        EXPECT_FALSE(loadIconImage(id, 24));
    }
    EXPECT_FALSE(loadIconImage(kCrossIcon, 32));
    EXPECT_FALSE(loadIconImage(207, 32));
    EXPECT_FALSE(loadIconImage(219, 64));
}

TEST(Icons, marksTellTheTypesApart) {
    const auto plain = loadIconImage(208, 32);
    for (int id = 209; id < kCrossIcon; ++id)
        EXPECT_NE(loadIconImage(id, 32)->argb, plain->argb) << id;
    const auto canon = loadIconImage(210, 32), nikon = loadIconImage(214, 32);
    EXPECT_NE(canon->argb, nikon->argb);
}

TEST(Icons, theCrossRunsCornerToCornerInItsOneColour) {
    const auto cross = loadIconImage(kCrossIcon, 64);
    ASSERT_TRUE(cross);
    for (auto [x, y] : {std::pair{0, 0}, {63, 63}, {0, 63}, {63, 0}, {32, 32}})
        EXPECT_EQ(cross->at(x, y), 0xFFFF3300u) << x << "," << y;
    EXPECT_EQ(cross->at(32, 2) >> 24, 0u);
    EXPECT_EQ(cross->at(2, 32) >> 24, 0u);
}

}  // namespace
}  // namespace tavrin::resources
