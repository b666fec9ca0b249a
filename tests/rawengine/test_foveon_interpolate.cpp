#include <gtest/gtest.h>

#include "rawengine/raw_engine.hpp"
#include "tests/fixtures/foveon_encoder.hpp"
#include "tests/rawengine/engine_rig.hpp"

namespace tavrin::raw {
namespace {

using fixtures::Bytes;

constexpr int kWidth = 48, kHeight = 34;
constexpr std::uint16_t kDark[3] = {210, 190, 230};

// A synthetic scene over the sensor's dark level: two black rows on top (and two black columns
// on the left), then grey, red, green and blue quarters; a hot pixel in the grey one.
std::vector<std::uint16_t> scene() {
    const std::uint16_t patches[4][3] = {
        {3000, 3000, 3000}, {4800, 600, 400}, {1500, 5000, 1200}, {600, 1000, 5000}};
    std::vector<std::uint16_t> out;
    for (int row = 0; row < kHeight; ++row) {
        for (int col = 0; col < kWidth; ++col) {
            const int patch = (row >= 18 ? 2 : 0) + (col >= 24 ? 1 : 0);
            const bool black = row < 2 || col < 2;
            for (int c = 0; c < 3; ++c) {
                out.push_back(
                    static_cast<std::uint16_t>(kDark[c] + (black ? 0 : patches[patch][c])));
            }
        }
    }
    out[(10 * kWidth + 10) * 3] = 60000;
    return out;
}

struct Rgb {
    int r, g, b;
};

class FoveonDecode : public EngineFiles {
  protected:
    // Decodes the scene (asking for half size, which a Foveon file ignores) and returns the
    // picture's pixels, top row first.
    std::vector<Rgb> decode(const Bytes* camf, int& width, int& height) {
        const auto path = root() / "IMG.X3F";
        fixtures::writeFile(
            path,
            fixtures::x3f({{"CAMMANUF", "SIGMA"}, {"CAMMODEL", "SD10"}, {"WB_DESC", "Sunlight"}},
                          kWidth, kHeight, fixtures::foveonCoded(kWidth, kHeight, scene()), camf));
        EXPECT_EQ(engine.OpenAndIdentify(path, nullptr, nullptr, nullptr, nullptr, nullptr, false),
                  com::S_OK);
        EXPECT_EQ(
            engine.OpenImageFile(path, nullptr, true, true, kWhiteBalanceFromSettings, options()),
            com::S_OK);
        engine.GetOutputSize(&width, &height);
        const int stride = (width * 3 + 3) & ~3;
        std::vector<std::uint8_t> dib(static_cast<std::size_t>(stride) * height);
        engine.RenderToDib(dib.data(), stride);
        std::vector<Rgb> out;
        for (int row = 0; row < height; ++row) {
            const std::uint8_t* line =
                dib.data() + static_cast<std::size_t>(height - 1 - row) * stride;
            for (int col = 0; col < width; ++col)
                out.push_back({line[col * 3 + 2], line[col * 3 + 1], line[col * 3]});
        }
        return out;
    }

    RawEngine engine;
};

TEST_F(FoveonDecode, greyStaysGreyAndThePrimariesKeepTheirHueAtFullSize) {
    int width = 0, height = 0;
    const auto pixels = decode(nullptr, width, height);
    ASSERT_EQ(width, kWidth);
    ASSERT_EQ(height, kHeight);
    auto at = [&](int row, int col) { return pixels[static_cast<std::size_t>(row * width + col)]; };
    const Rgb grey = at(10, 16), red = at(10, 36), green = at(26, 12), blue = at(26, 36);
    EXPECT_GT(grey.g, 100);
    EXPECT_NEAR(grey.r, grey.g, 2);
    EXPECT_NEAR(grey.b, grey.g, 2);
    EXPECT_GT(red.r, 2 * std::max(red.g, red.b));
    EXPECT_GT(green.g, std::max(green.r, green.b) + 40);
    EXPECT_GT(blue.b, 2 * std::max(blue.r, blue.g));
    // The black rows are the dark level: black.
    EXPECT_LE(at(0, 30).g, 2);
    EXPECT_EQ(engine.state().sensor.clipLevel, engine.state().sensor.whiteLevel);
}

TEST_F(FoveonDecode, theCalibrationCropsSubtractsTheShieldAndRepairsBadPixels) {
    const Bytes camf = [] {
        using fixtures::Fields;
        Bytes out;
        const Fields le(true);
        auto words = [&](std::vector<std::uint32_t> v) {
            Bytes b;
            for (auto x : v)
                le.put32(b, x);
            return b;
        };
        for (const Bytes& block : {
                 fixtures::camfMatrix("DarkShieldColRange", 3, {2}, words({0, 1})),
                 fixtures::camfMatrix("SaturationLevel", 3, {3}, words({40000, 40000, 40000})),
                 fixtures::camfMatrix("KeepImageArea", 3, {4}, words({2, 2, 47, 33})),
                 fixtures::camfMatrix("BadPixels", 3, {1, 2}, words({10, 10})),
             })
            out.insert(out.end(), block.begin(), block.end());
        return out;
    }();
    int width = 0, height = 0;
    const auto pixels = decode(&camf, width, height);
    ASSERT_EQ(width, 46);
    ASSERT_EQ(height, 32);
    // The shield's mean per channel is the dark level: the white is what is left of saturation.
    EXPECT_EQ(engine.state().sensor.whiteLevel, 40000 - 230);
    // The hot pixel (now at 8, 8) took its neighbours' grey.
    const Rgb hot = pixels[static_cast<std::size_t>(8 * width + 8)];
    const Rgb next = pixels[static_cast<std::size_t>(8 * width + 12)];
    EXPECT_NEAR(hot.r, next.r, 3);
    EXPECT_NEAR(hot.b, next.b, 3);
}

}  // namespace
}  // namespace tavrin::raw
