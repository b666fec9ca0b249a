#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <tuple>

#include "platform/imaging/decode.hpp"
#include "rawengine/colour/colour_steps.hpp"
#include "rawengine/colour/tone_table.hpp"
#include "rawengine/colour/vng_terms.hpp"
#include "rawengine/raw_engine.hpp"
#include "tests/rawengine/engine_rig.hpp"
#include "tests/support/samples.hpp"

namespace tavrin::raw {
namespace {

TEST(ScaleColours, stretchesToTheSixteenBitRangeAboveBlack) {
    Rig w(2, 2);
    w.s.sensor.blackLevel = 95;
    w.fill(1095);
    w.pixel(0, 0)[0] = 0;  // an empty sample stays empty
    w.run(scaleColours);
    // White 4000 needs a shift of 4 to reach 32768: samples are (v - black) * 16.
    EXPECT_EQ(w.s.sensor.whiteLevel, 64000);
    EXPECT_EQ(w.s.sensor.clipLevel, 64000);
    EXPECT_EQ(w.pixel(0, 1)[w.s.colourAt(0, 1)], 16000);
    EXPECT_EQ(w.pixel(0, 0)[0], 0);
}

TEST(ScaleColours, balancesAutomaticallyWithoutNearWhiteSamples) {
    Rig w(4, 4);
    w.s.options.autoWhiteBalance = true;
    w.fill(1000);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            if (w.s.colourAt(r, c) == 1) w.pixel(r, c)[1] = 500;  // green half as bright
        }
    }
    ASSERT_EQ(w.s.colourAt(1, 1), 2);
    w.pixel(1, 1)[2] = 4090;  // clipped blue: within 25 of white, not counted
    w.run(scaleColours);
    const auto& gain = w.s.colour.presetMultipliers;
    EXPECT_FLOAT_EQ(gain[1] / gain[0], 2.0f);
    EXPECT_FLOAT_EQ(gain[2] / gain[0], 1.0f);
}

TEST(ScaleColours, keepsThePresetGainsWhenTheCameraRecordedNone) {
    Rig w(2, 2);
    w.s.options.cameraWhiteBalance = true;
    w.s.colour.cameraMultipliers = {0, 1, 0, 1};
    w.s.colour.presetMultipliers = {2, 1, 1.5f, 1};
    w.fill(100);
    w.run(scaleColours);
    EXPECT_FLOAT_EQ(w.s.colour.presetMultipliers[0] / w.s.colour.presetMultipliers[1], 2.0f);
    EXPECT_FLOAT_EQ(w.s.colour.presetMultipliers[2] / w.s.colour.presetMultipliers[1], 1.5f);
}

TEST(ScaleColours, appliesBrightnessBelowOneHereAndLeavesTheRestToTheToneTable) {
    Rig bright(2, 2), dark(2, 2);
    bright.s.colour.brightness = 1.2f;
    dark.s.colour.brightness = 0.8f;
    bright.fill(1000);
    dark.fill(1000);
    bright.run(scaleColours);
    dark.run(scaleColours);
    EXPECT_EQ(bright.s.sensor.whiteLevel, 4095 * 16);
    EXPECT_EQ(dark.s.sensor.whiteLevel, static_cast<int>(4095 * 16 * 0.8f));
    EXPECT_EQ(bright.pixel(0, 0)[0], 16000);
    EXPECT_EQ(dark.pixel(0, 0)[0], 12800);
}

TEST(ScaleColours, survivesAWhiteLevelAtBlackAndZeroGains) {
    Rig w(2, 2);
    w.s.sensor.blackLevel = 5000;  // above white
    w.s.colour.presetMultipliers = {0, 0, 0, 0};
    w.fill(6000);
    w.run(scaleColours);
    // Nothing lies between black and white: white is taken as one step above black, and every
    // sample above black comes out at the clip level.
    EXPECT_EQ(w.s.sensor.whiteLevel, 32768);
    EXPECT_EQ(w.s.sensor.clipLevel, 32768);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(w.s.colour.presetMultipliers[c], 32768.0f) << c;
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 2; ++c)
            EXPECT_EQ(w.pixel(r, c)[w.s.colourAt(r, c)], 32768) << r << "," << c;
    }
}

TEST(Interpolation, fillsMissingChannelsAndKeepsFlatAreas) {
    Rig w(8, 8);
    w.s.sensor.clipLevel = 65535;
    w.fill(1000);
    w.run(vngInterpolate);
    // Inside, every channel of a flat mosaic comes out flat; the outermost ring is left.
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(w.pixel(4, 3)[c], 1000);
    EXPECT_EQ(w.pixel(0, 0)[1], 0);
    EXPECT_EQ(w.pixel(0, 0)[2], 0);
}

TEST(Interpolation, followsEdgesWhereBilinearBlurs) {
    // A vertical edge: left half dark, right half bright. VNG takes the missing green of a red
    // cell next to the edge from its own side.
    Rig quick(12, 12), vng(12, 12);
    for (Rig* w : {&quick, &vng}) {
        w->s.sensor.clipLevel = 65535;
        for (int r = 0; r < 12; ++r) {
            for (int c = 0; c < 12; ++c)
                w->pixel(r, c)[w->s.colourAt(r, c)] = c < 6 ? 1000 : 9000;
        }
    }
    quick.s.options.quickInterpolate = true;
    quick.run(vngInterpolate);
    vng.run(vngInterpolate);
    int row = 4, col = 5;  // left of the edge
    while (vng.s.colourAt(row, col) == 1)
        ++row;
    EXPECT_GT(quick.pixel(row, col)[1], 1000);  // bilinear mixes in the bright side
    EXPECT_EQ(vng.pixel(row, col)[1], 1000);
}

// The bilinear value of a missing channel the plain way: the weighted mean of the neighbours
// of that colour, from the mosaic.
int referenceBilinear(const DecodeState& s, const std::vector<std::uint16_t>& mosaic, int row,
                      int col, int channel) {
    int total = 0, weight = 0;
    for (int y = -1; y <= 1; ++y) {
        for (int x = -1; x <= 1; ++x) {
            if ((y == 0 && x == 0) || s.colourAt(row + y, col + x) != channel) continue;
            const int w = 1 << ((y == 0) + (x == 0));
            total +=
                w * mosaic[(static_cast<std::size_t>(row + y) * s.geometry.width + col + x) * 4 +
                           static_cast<std::size_t>(channel)];
            weight += w;
        }
    }
    return weight ? total / weight : -1;
}

TEST(Interpolation, bilinearMatchesThePlainComputationForEveryPixel) {
    // Bayer layouts, a four-colour pattern whose divisors are not all powers of two, odd and
    // narrow sizes and a picture large enough to be shared between threads.
    const std::tuple<int, int, std::uint32_t, int> cases[] = {
        {9, 7, 0x94949494, 3},      {6, 2, 0x94949494, 3},   {5, 3, 0x16161616, 3},
        {12, 17, 0x16161616, 3},    {21, 35, 0xE1E4E1E4, 4}, {17, 26, 0x1E4E1E4E, 4},
        {1030, 1030, 0x61616161, 3}};
    std::mt19937 random(11);
    for (const auto& [height, width, pattern, colours] : cases) {
        Rig w(height, width, pattern);
        w.s.sensor.colourCount = colours;
        for (int r = 0; r < height; ++r) {
            for (int c = 0; c < width; ++c)
                w.pixel(r, c)[w.s.colourAt(r, c)] = static_cast<std::uint16_t>(random());
        }
        const std::vector<std::uint16_t> mosaic(
            w.s.image.get(), w.s.image.get() + static_cast<std::size_t>(height) * width * 4);
        w.s.options.quickInterpolate = true;
        w.run(vngInterpolate);
        for (int r = 0; r < height; ++r) {
            for (int c = 0; c < width; ++c) {
                // The outermost rows and columns keep the mosaic as it was.
                const bool edge = r == 0 || c == 0 || r == height - 1 || c == width - 1;
                for (int ch = 0; ch < colours; ++ch) {
                    if (ch == w.s.colourAt(r, c)) continue;
                    const int expected = edge ? 0 : referenceBilinear(w.s, mosaic, r, c, ch);
                    if (expected < 0) continue;
                    ASSERT_EQ(w.pixel(r, c)[ch], expected)
                        << height << "x" << width << " at " << r << "," << c << " channel " << ch;
                }
            }
        }
    }
}

// VNG for one pixel the plain way, from the bilinear picture.
std::array<std::uint16_t, 4> referenceVng(const DecodeState& s, const std::vector<std::uint16_t>& b,
                                          int row, int col) {
    const int width = s.geometry.width;
    auto at = [&](int y, int x, int c) {
        return static_cast<int>(b[(static_cast<std::size_t>(row + y) * width + col + x) * 4 +
                                  static_cast<std::size_t>(c)]);
    };
    std::array<int, 8> gradient{};
    for (const GradientTerm& t : kTerms) {
        const int k = s.colourAt(row + t.y1, col + t.x1);
        if (s.colourAt(row + t.y2, col + t.x2) != k) continue;
        const int diag = s.colourAt(row, col + 1) == k && s.colourAt(row + 1, col) == k ? 2 : 1;
        if (std::abs(t.y1 - t.y2) == diag && std::abs(t.x1 - t.x2) == diag) continue;
        const int diff = std::abs(at(t.y1, t.x1, k) - at(t.y2, t.x2, k)) << t.weight;
        for (int d = 0; d < 8; ++d)
            gradient[d] += t.mask >> d & 1 ? diff : 0;
    }
    std::array<std::uint16_t, 4> out;
    for (int c = 0; c < 4; ++c)
        out[c] = static_cast<std::uint16_t>(at(0, 0, c));
    const int lo = *std::min_element(gradient.begin(), gradient.end());
    const int hi = *std::max_element(gradient.begin(), gradient.end());
    if (hi == 0) return out;
    const int own = s.colourAt(row, col);
    std::array<int, 4> sum{};
    int count = 0;
    for (int d = 0; d < 8; ++d) {
        if (gradient[d] > lo + (hi >> 1)) continue;
        const auto [y, x] = kNeighbours[d];
        for (int c = 0; c < 4; ++c) {
            const bool partner = c == own && s.colourAt(row + y, col + x) != own &&
                                 s.colourAt(row + 2 * y, col + 2 * x) == own;
            sum[c] += partner ? (at(0, 0, own) + at(2 * y, 2 * x, own)) / 2 : at(y, x, c);
        }
        ++count;
    }
    for (int c = 0; c < std::min(s.sensor.colourCount, 4); ++c) {
        if (c == own) continue;
        const int v = at(0, 0, own) + (sum[c] - sum[own]) / count;
        out[c] = static_cast<std::uint16_t>(std::clamp(v, 0, s.sensor.clipLevel));
    }
    return out;
}

TEST(Interpolation, vngMatchesThePlainComputationForEveryPixel) {
    struct Case {
        int height, width;
        std::uint32_t pattern;
        int colours, clip;
    };
    // Bayer layouts, a four-colour 8-row pattern, odd sizes, a low clip level, and a picture
    // large enough to be shared between threads.
    const Case cases[] = {{9, 7, 0x94949494, 3, 65535},   {13, 17, 0x16161616, 3, 65535},
                          {31, 40, 0x61616161, 3, 3000},  {21, 35, 0xE1E4E1E4, 4, 65535},
                          {24, 27, 0xB4B4B4B4, 4, 50000}, {1030, 1030, 0x94949494, 3, 65535}};
    std::mt19937 random(7);
    for (const Case& k : cases) {
        Rig quick(k.height, k.width, k.pattern), vng(k.height, k.width, k.pattern);
        for (Rig* w : {&quick, &vng}) {
            w->s.sensor.colourCount = k.colours;
            w->s.sensor.clipLevel = k.clip;
        }
        for (int r = 0; r < k.height; ++r) {
            for (int c = 0; c < k.width; ++c) {
                // Smooth areas, edges and noise, up to the full 16 bits.
                const int value = (r / 5 + c / 7) % 2 ? 60000 : static_cast<int>(random() % 4096);
                quick.pixel(r, c)[quick.s.colourAt(r, c)] = static_cast<std::uint16_t>(value);
                vng.pixel(r, c)[vng.s.colourAt(r, c)] = static_cast<std::uint16_t>(value);
            }
        }
        quick.s.options.quickInterpolate = true;
        quick.run(vngInterpolate);
        vng.run(vngInterpolate);
        const std::vector<std::uint16_t> bilinear(
            quick.s.image.get(),
            quick.s.image.get() + static_cast<std::size_t>(k.height) * k.width * 4);
        for (int r = 2; r < k.height - 2; ++r) {
            for (int c = 2; c < k.width - 2; ++c) {
                const auto expected = referenceVng(vng.s, bilinear, r, c);
                for (int ch = 0; ch < 4; ++ch) {
                    ASSERT_EQ(vng.pixel(r, c)[ch], expected[ch])
                        << k.height << "x" << k.width << " at " << r << "," << c << " channel "
                        << ch;
                }
            }
        }
    }
}

TEST(Interpolation, survivesTinyImages) {
    for (int size : {1, 2, 3, 5}) {
        Rig w(size, size);
        w.fill(500);
        w.run(vngInterpolate);
        w.run(convertToRgb);
        // Every pixel is counted once per channel, and a flat mosaic stays flat where a pixel
        // has neighbours of every colour.
        ASSERT_TRUE(w.s.histogram);
        const auto& histogram = *w.s.histogram;
        for (std::size_t k = 0; k < 3; ++k) {
            const auto first = histogram.begin() + static_cast<std::ptrdiff_t>(k * 8192);
            EXPECT_EQ(std::accumulate(first, first + 8192, 0u), static_cast<unsigned>(size * size))
                << size << " channel " << k;
            if (size == 5) {
                EXPECT_EQ(w.pixel(2, 2)[k], 500) << "channel " << k;
            }
        }
    }
}

TEST(ColourMatrix, isTheIdentityForACameraThatSeesSrgb) {
    // XYZ to camera = the inverse of sRGB to XYZ: the camera's channels are sRGB already.
    const std::array<float, 12> xyzToSrgb{3.240479f, -1.537150f, -0.498535f, -0.969256f,
                                          1.875992f, 0.041556f,  0.055648f,  -0.204043f,
                                          1.057311f, 0,          0,          0};
    DecodeState s;
    setColourMatrixFromXyz(s, xyzToSrgb);
    EXPECT_TRUE(s.sensor.useColourMatrix);
    for (int r = 0; r < 3; ++r) {
        EXPECT_NEAR(s.colour.presetMultipliers[r], 1.0f, 1e-3f);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(s.colour.colourMatrix[r][c], r == c ? 1.0f : 0.0f, 1e-3f);
    }
}

TEST(ColourMatrix, ignoresASingularMatrix) {
    DecodeState s;
    setColourMatrixFromXyz(s, std::array<float, 12>{});
    EXPECT_FALSE(s.sensor.useColourMatrix);
}

TEST(ToneTable, findsWhiteAtTheBrightestPercentButNeverBelowItsFloor) {
    DecodeState s;
    s.geometry.width = 100, s.geometry.height = 100;
    s.histogram = std::make_unique<std::array<std::uint32_t, 3 * 8192>>();
    (*s.histogram)[10] = 10000;  // a very dark picture: all red values in bin 10
    const auto dib = buildToneTable(s);
    const auto bitmap = buildToneTable(s, 4096);
    EXPECT_EQ((*dib)[32 * 8], 255);  // white at bin 32
    EXPECT_LT((*bitmap)[32 * 8], 60);
    EXPECT_EQ((*bitmap)[4096 * 8], 255);
    EXPECT_EQ((*dib)[0], 0);
}

TEST(FujiRotate, turnsTheDiagonalLayoutUpright) {
    Rig w(60, 60);
    w.s.geometry.fujiWidth = 20;
    w.fill(300);
    w.run(fujiRotate);
    EXPECT_EQ(w.s.geometry.width, static_cast<int>(20 / std::sqrt(0.5)));
    EXPECT_EQ(w.s.geometry.height, static_cast<int>(40 / std::sqrt(0.5)));
    EXPECT_EQ(w.s.geometry.fujiWidth, 0);

    Rig wide(10, 10);
    wide.s.geometry.fujiWidth = 40;  // wider than the image: nothing upright to show
    wide.run(fujiRotate);
    EXPECT_EQ(wide.s.geometry.width, 10);
}

class Decode : public EngineFiles {};

// The camera's own thumbnail of the same shot: a decode must show the same picture.
TEST_F(Decode, showsWhatTheCameraShowsAtEverySizeAndTurn) {
    const auto raw = test::sample("digicam_corpus/Canon/PowerShot G2/CRW_0305.CRW");
    const auto thm = test::sample("digicam_corpus/Canon/PowerShot G2/CRW_0305.THM");
    TAVRIN_REQUIRE_SAMPLE(raw);
    TAVRIN_REQUIRE_SAMPLE(thm);
    const auto reference = imaging::decodeImageFile(thm);
    ASSERT_TRUE(reference.bitmap);
    for (const bool half : {true, false}) {
        RawEngine engine;
        int width = 0, height = 0;
        ASSERT_EQ(engine.OpenAndIdentify(raw, &width, &height, nullptr, nullptr, nullptr, false),
                  com::S_OK);
        ASSERT_EQ(engine.OpenImageFile(raw, nullptr, half, true, 1, options()), com::S_OK);
        int outWidth = 0, outHeight = 0;
        engine.GetOutputSize(&outWidth, &outHeight);
        EXPECT_EQ(outWidth, half ? (width + 1) / 2 : width - 2);
        EXPECT_EQ(outHeight, half ? (height + 1) / 2 : height - 2);
        const auto bitmap = engine.CreateGdiplusBitmap();
        ASSERT_TRUE(bitmap);
        EXPECT_EQ(bitmap->width(), half ? outWidth : outWidth + 2);
        const auto small = bitmap->thumbnail(reference.bitmap->width(), reference.bitmap->height());
        // Luminance of both pictures, compared by correlation (the camera's tone curve differs).
        double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
        const int n = small->width() * small->height();
        for (int y = 0; y < small->height(); ++y) {
            for (int x = 0; x < small->width(); ++x) {
                const std::uint8_t* p = small->row(y) + x * 3;
                const std::uint8_t* q = reference.bitmap->row(y) + x * 3;
                const double a = p[0] + 2.0 * p[1] + p[2], b = q[0] + 2.0 * q[1] + q[2];
                sa += a, sb += b, saa += a * a, sbb += b * b, sab += a * b;
            }
        }
        const double correlation =
            (sab - sa * sb / n) / std::sqrt((saa - sa * sa / n) * (sbb - sb * sb / n));
        EXPECT_GT(correlation, 0.95) << (half ? "half size" : "full size");
    }
}

TEST_F(Decode, writesEveryPixelOfTheDibBottomUp) {
    const auto raw = test::sample("digicam_corpus/Canon/PowerShot G2/CRW_0305.CRW");
    TAVRIN_REQUIRE_SAMPLE(raw);
    RawEngine engine;
    ASSERT_EQ(engine.OpenAndIdentify(raw, nullptr, nullptr, nullptr, nullptr, nullptr, false),
              com::S_OK);
    ASSERT_EQ(engine.OpenImageFile(raw, nullptr, true, true, 1, options()), com::S_OK);
    int width = 0, height = 0;
    engine.GetOutputSize(&width, &height);
    const int stride = (width * 3 + 3) & ~3;
    std::vector<std::uint8_t> dib(static_cast<std::size_t>(stride) * height, 0x5A);
    engine.RenderToDib(dib.data(), stride);
    std::size_t untouched = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width * 3; x += 3) {
            const std::uint8_t* p = dib.data() + static_cast<std::size_t>(y) * stride + x;
            untouched += p[0] == 0x5A && p[1] == 0x5A && p[2] == 0x5A;
        }
    }
    EXPECT_LT(untouched, 50u);  // a colour that may occur, but not everywhere
    // The colour chart's dark frame is at the bottom of the picture: the DIB's first rows.
    const auto mean = [&](int y) {
        long sum = 0;
        for (int x = 0; x < width * 3; ++x)
            sum += dib[static_cast<std::size_t>(y) * stride + x];
        return sum / (width * 3);
    };
    EXPECT_NE(mean(0), mean(height - 1));
}

}  // namespace
}  // namespace tavrin::raw
