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

Bytes chain(std::initializer_list<Bytes> blocks) {
    Bytes out;
    for (const Bytes& block : blocks)
        out.insert(out.end(), block.begin(), block.end());
    return out;
}

constexpr std::uint32_t kUInt32 = 3, kFloat32 = 4;

TEST_F(FoveonDecode, theCalibrationCropsSubtractsTheShieldAndRepairsBadPixels) {
    using fixtures::camfWords;
    const Bytes camf = chain({
        fixtures::camfMatrix("DarkShieldColRange", kUInt32, {2}, camfWords({0, 1})),
        fixtures::camfMatrix("SaturationLevel", kUInt32, {3}, camfWords({40000, 40000, 40000})),
        fixtures::camfMatrix("KeepImageArea", kUInt32, {4}, camfWords({2, 2, 47, 33})),
        fixtures::camfMatrix("BadPixels", kUInt32, {1, 2}, camfWords({10, 10})),
    });
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

TEST_F(FoveonDecode, darkDriftGainsCurvesAndLayerScalesActOnThePicture) {
    using fixtures::camfFloats;
    using fixtures::camfMatrix;
    int width = 0, height = 0;
    const auto plain = decode(nullptr, width, height);
    auto at = [&](const std::vector<Rgb>& p, int row, int col) {
        return p[static_cast<std::size_t>(row * width + col)];
    };

    // The dark level lies 300 below the measured one in the lower half: black turns grey there.
    std::vector<float> drift(kHeight * 3, 0.0f);
    std::fill(drift.begin() + 17 * 3, drift.end(), -300.0f);
    const Bytes drifting =
        chain({camfMatrix("DarkDrift", kFloat32, {kHeight, 3}, camfFloats(drift))});
    const auto drifted = decode(&drifting, width, height);
    EXPECT_LE(at(drifted, 5, 0).g, 2);
    EXPECT_GT(at(drifted, 25, 0).g, at(plain, 25, 0).g + 10);

    // The picture's brightness is scaled to its white, so each case compares parts of one picture.
    auto ratio = [&](const std::vector<Rgb>& p, int row, int col, int row2, int col2) {
        return static_cast<double>(at(p, row, col).g + at(p, row, col).r) /
               (at(p, row2, col2).g + at(p, row2, col2).r);
    };
    // Gains rising from 1 on the left edge to 2 on the right one: the grey patch's right end
    // comes out brighter than its left.
    const Bytes gains =
        chain({camfMatrix("SpatialGain", kFloat32, {2, 2}, camfFloats({1.0f, 2.0f, 1.0f, 2.0f}))});
    EXPECT_NEAR(ratio(plain, 10, 20, 10, 3), 1.0, 0.02);
    EXPECT_GT(ratio(decode(&gains, width, height), 10, 20, 10, 3), 1.1);

    // A curve that lowers the dark tones and keeps white: grey darkens against red, the white
    // level stays.
    const Bytes toned =
        chain({fixtures::camfParameters("ToneCurves", {{"All", "0 0, 0.05 0.01, 1 1"}})});
    EXPECT_LT(ratio(decode(&toned, width, height), 10, 16, 10, 36),
              0.8 * ratio(plain, 10, 16, 10, 36));
    EXPECT_EQ(engine.state().sensor.whiteLevel, 65535 - 230);

    // "IncludeBlocks" naming a ColorDQ block chooses the layer scale in camera RGB: blue halved
    // turns grey yellowish, while the plain ColorDQ (all 1) leaves it grey.
    const Bytes scales = chain({
        fixtures::camfParameters("IncludeBlocks", {{"ColorDQ", "ColorDQ"}}),
        camfMatrix("ColorDQ", kFloat32, {3}, camfFloats({1.0f, 1.0f, 1.0f})),
        camfMatrix("ColorDQCamRGB", kFloat32, {3}, camfFloats({1.0f, 1.0f, 0.5f})),
    });
    const Rgb scaled = at(decode(&scales, width, height), 10, 16);
    EXPECT_LT(scaled.b, scaled.g - 20);
    const Bytes plainScales =
        chain({camfMatrix("ColorDQ", kFloat32, {3}, camfFloats({1.0f, 1.0f, 1.0f})),
               camfMatrix("ColorDQCamRGB", kFloat32, {3}, camfFloats({1.0f, 1.0f, 0.5f}))});
    const Rgb grey = at(decode(&plainScales, width, height), 10, 16);
    EXPECT_NEAR(grey.b, grey.g, 2);
}

TEST_F(FoveonDecode, aChromaNoiseLevelKeepsColourEdgesThatSmoothingBlurs) {
    int width = 0, height = 0;
    // Where grey meets red, full smoothing spreads grey into the red's first column.
    const auto smoothed = decode(nullptr, width, height);
    const Bytes noise =
        chain({fixtures::camfMatrix("ChromaDQ", kFloat32, {1}, fixtures::camfFloats({20.0f}))});
    const auto kept = decode(&noise, width, height);
    auto redness = [&](const std::vector<Rgb>& p) {
        const Rgb edge = p[static_cast<std::size_t>(10 * width + 24)];
        return edge.r - std::max(edge.g, edge.b);
    };
    EXPECT_GT(redness(kept), redness(smoothed) + 10);
    // Inside the patches both agree.
    const Rgb a = smoothed[static_cast<std::size_t>(10 * width + 36)];
    const Rgb b = kept[static_cast<std::size_t>(10 * width + 36)];
    EXPECT_NEAR(a.r, b.r, 2);
    EXPECT_NEAR(a.g, b.g, 2);
}

}  // namespace
}  // namespace tavrin::raw
