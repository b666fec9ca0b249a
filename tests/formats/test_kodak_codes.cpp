// Kodak's YUV codes as the engine's loader and the shell object's preview both decode them.

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "formats/kodak_codes.hpp"

namespace tavrin::formats {
namespace {

struct Pixel {
    int row, col;
    std::array<int, 3> sums;
    bool operator==(const Pixel&) const = default;
};

std::vector<Pixel> decode(std::vector<std::uint8_t> bytes, int width, int height) {
    FileReader file;
    file.openMemory(std::move(bytes));
    std::vector<Pixel> pixels;
    forEachKodakYuvPixel(file, width, height, [&](int row, int col, const int(&sums)[3]) {
        pixels.push_back({row, col, {sums[0], sums[1], sums[2]}});
    });
    return pixels;
}

TEST(KodakYuv, lumaAndChromaDifferencesOfABlockWithTheirSigns) {
    // Field lengths (low nibble first): luma 0 has four bits, blue chroma two, the others none.
    // The fields: 1100 (+12) for luma, 01 (-2) for blue chroma, from the second byte's low bits.
    const auto pixels = decode({0x04, 0x00, 0x02, 0x00, 0x00, 0x1C, 0x00, 0x00}, 2, 2);
    const std::vector<Pixel> expected = {
        {0, 0, {12, 12, 10}}, {0, 1, {12, 12, 10}}, {1, 0, {0, 0, -2}}, {1, 1, {0, 0, -2}}};
    EXPECT_EQ(pixels, expected);
}

TEST(KodakYuv, aPictureLargerThanItsFileVisitsEveryPixelOnceAndAnOddEdgeIsCut) {
    const auto pixels = decode({}, 301, 3);
    EXPECT_EQ(pixels.size(), 301u * 3u);
    for (const Pixel& p : pixels) {
        ASSERT_LT(p.col, 301);
        ASSERT_LT(p.row, 3);
    }
}

TEST(KodakYuv, fieldLengthsAboveTwelveMarkABlockAsInvalid) {
    FileReader file;
    file.openMemory({0x21, 0xC3, 0xD0});
    KodakLengths lengths{};
    EXPECT_TRUE(readKodakLengths(file, 4, lengths));
    EXPECT_EQ(lengths[0], 1);
    EXPECT_EQ(lengths[1], 2);
    EXPECT_EQ(lengths[3], 12);
    EXPECT_FALSE(readKodakLengths(file, 2, lengths));
}

}  // namespace
}  // namespace tavrin::formats
