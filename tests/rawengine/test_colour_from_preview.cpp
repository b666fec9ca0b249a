// The camera's colours learned from its own preview: the fit on a synthetic sensor whose true
// matrix is known, the pairs it must refuse, and what a store keeps of it.

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "rawengine/colour/colour_steps.hpp"
#include "rawengine/colour/learned_colours.hpp"
#include "rawengine/colour/preview_fit.hpp"
#include "tests/fixtures/fixture_writer.hpp"
#include "tests/rawengine/engine_rig.hpp"

namespace tavrin::raw {
namespace {

using Matrix = std::array<std::array<float, 3>, 3>;

// A camera's true conversion: balanced channels to linear RGB (rows sum to 1), and the balance
// of the light the scene was taken in.
constexpr Matrix kTrueMatrix{
    {{1.70f, -0.55f, -0.15f}, {-0.25f, 1.55f, -0.30f}, {-0.05f, -0.75f, 1.80f}}};
constexpr std::array<float, 3> kTrueBalance{1.6f, 1.0f, 1.45f};
constexpr const char* kModel = "Tavrin Synthetic";

// A scene of flat patches: the camera's channels (0 ... 1) of each.
struct Scene {
    static constexpr int kColumns = 8, kRows = 6;
    std::array<std::array<float, 3>, kColumns * kRows> camera{};

    Scene() {
        std::mt19937 random(7);
        std::uniform_real_distribution<float> channel(0.03f, 0.5f);
        for (auto& patch : camera) {
            do {
                for (float& v : patch)
                    v = channel(random);
            } while (!renderable(patch));
        }
    }
    static std::array<float, 3> rendered(const std::array<float, 3>& c) {
        std::array<float, 3> out{};
        for (int r = 0; r < 3; ++r) {
            for (int k = 0; k < 3; ++k)
                out[r] += kTrueMatrix[r][k] * kTrueBalance[k] * c[k];
        }
        return out;
    }
    static bool renderable(const std::array<float, 3>& c) {
        const auto out = rendered(c);
        return std::all_of(out.begin(), out.end(), [](float v) { return v > 0.02f && v < 0.85f; });
    }
    // The patch at (u, v) in 0 ... 1 of the picture.
    const std::array<float, 3>& at(double u, double v) const {
        const int col = std::min(static_cast<int>(u * kColumns), kColumns - 1);
        const int row = std::min(static_cast<int>(v * kRows), kRows - 1);
        return camera[static_cast<std::size_t>(row * kColumns + col)];
    }
};

// Linear light to the 8-bit value the engine's output curve gives.
std::uint8_t encode(float linear) {
    const double v = linear <= 0.018 ? 4.5 * linear : 1.099 * std::pow(linear, 0.45) - 0.099;
    return static_cast<std::uint8_t>(std::clamp(std::lround(v * 255), 0L, 255L));
}

// The camera's preview of the scene as red-green-blue bytes; look maps preview (u, v) to the
// scene's (u, v), for previews that show something else.
template <typename Look>
fixtures::Bytes previewPixels(const Scene& scene, int width, int height, Look look) {
    fixtures::Bytes rgb(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto [u, v] = look((x + 0.5) / width, (y + 0.5) / height);
            const auto out = Scene::rendered(scene.at(u, v));
            for (int c = 0; c < 3; ++c)
                rgb[(static_cast<std::size_t>(y) * width + x) * 3 + c] = encode(out[c]);
        }
    }
    return rgb;
}
const auto kSame = [](double u, double v) { return std::pair{u, v}; };

void expectNear(const Matrix& fitted, const Matrix& truth) {
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(fitted[r][c], truth[r][c], 0.02 * 1.8) << "row " << r << " column " << c;
    }
}

void expectBalance(const std::array<float, 3>& balance) {
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(balance[c], kTrueBalance[c], 0.02 * kTrueBalance[c]) << "channel " << c;
}

FitPicture cameraPicture(const Scene& scene, int width, int height) {
    FitPicture p{width, height, std::vector<float>(static_cast<std::size_t>(width) * height * 3)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto& c = scene.at((x + 0.5) / width, (y + 0.5) / height);
            std::copy(c.begin(), c.end(),
                      p.values.begin() + (static_cast<std::ptrdiff_t>(y) * width + x) * 3);
        }
    }
    return p;
}

FitPicture linearPicture(const fixtures::Bytes& rgb, int width, int height) {
    FitPicture p{width, height, std::vector<float>(rgb.size())};
    std::transform(rgb.begin(), rgb.end(), p.values.begin(),
                   [](std::uint8_t v) { return previewToLinear(v); });
    return p;
}

TEST(PreviewFit, recoversTheTrueMatrixAndBalanceFromAnAlignedPair) {
    const Scene scene;
    const auto fit = fitColourMatrix(cameraPicture(scene, 64, 48),
                                     linearPicture(previewPixels(scene, 64, 48, kSame), 64, 48));
    ASSERT_TRUE(fit);
    expectNear(fit->matrix, kTrueMatrix);
    expectBalance(fit->balance);
    for (const auto& row : fit->matrix)
        EXPECT_NEAR(row[0] + row[1] + row[2], 1.0f, 1e-4f);
}

TEST(PreviewFit, refusesPairsThatDoNotShowOneSceneOrCannotTellAMatrix) {
    const Scene scene;
    const auto camera = cameraPicture(scene, 64, 48);
    const auto preview = [&](auto look) {
        return linearPicture(previewPixels(scene, 64, 48, look), 64, 48);
    };
    // Turned half round.
    EXPECT_FALSE(fitColourMatrix(camera, preview([](double u, double v) {
                                     return std::pair{1 - u, 1 - v};
                                 })));
    // Another crop: the middle of the scene enlarged.
    EXPECT_FALSE(fitColourMatrix(camera, preview([](double u, double v) {
                                     return std::pair{0.3 + u * 0.4, 0.3 + v * 0.4};
                                 })));
    // A black frame.
    EXPECT_FALSE(
        fitColourMatrix(camera, FitPicture{64, 48, std::vector<float>(64 * 48 * 3, 0.0f)}));
    // A grey scene: every pixel the same colour tells no matrix.
    FitPicture grey{64, 48, std::vector<float>(64 * 48 * 3, 0.2f)};
    EXPECT_FALSE(fitColourMatrix(grey, grey));
    // Pictures of different sizes.
    EXPECT_FALSE(
        fitColourMatrix(camera, linearPicture(previewPixels(scene, 64, 40, kSame), 64, 40)));
}

// The engine's state after loading a 256 x 192 sensor at half size, and a file that holds
// only the preview.
class ColourFromPreviewStep : public ::testing::Test {
  protected:
    void SetUp() override {
        s_.id = {"Tavrin", "Synthetic", ""};
        s_.sensor.filterPattern = 0x94949494;
        s_.sensor.whiteLevel = 4095;
        s_.geometry = {192, 256, 0, 0, 192, 256, 0, 1, 96, 128, 0};
        s_.image = allocateImage(96 * 128 * 4);
        for (int row = 0; row < 96; ++row) {
            for (int col = 0; col < 128; ++col) {
                const auto& c = scene_.at((col + 0.5) / 128, (row + 0.5) / 96);
                for (int k = 0; k < 3; ++k)
                    s_.image[(static_cast<std::size_t>(row) * 128 + col) * 4 + k] =
                        static_cast<std::uint16_t>(std::lround(c[k] * 4095));
            }
        }
    }
    template <typename Look = decltype(kSame)>
    void embed(int width, int height, Look look = kSame) {
        fixtures::Bytes file(100, 0);
        const auto jpeg =
            fixtures::jpegFromRgb(width, height, previewPixels(scene_, width, height, look), 95);
        file.insert(file.end(), jpeg.begin(), jpeg.end());
        rig_.file.openMemory(file);
        s_.container.previewOffset = 100;
        s_.container.previewLength = static_cast<std::uint32_t>(jpeg.size());
    }
    void run() { rig_.run(colourFromPreview); }
    std::optional<LearnedColour> learned() const { return readLearnedColour(rig_.learned, kModel); }
    Matrix matrix() const {
        Matrix m{};
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c)
                m[r][c] = s_.colour.colourMatrix[r][c];
        }
        return m;
    }
    void expectRefused(const char* what) {
        run();
        EXPECT_EQ(s_.colour.matrixSource, MatrixSource::None) << what;
        EXPECT_FALSE(s_.sensor.useColourMatrix) << what;
        EXPECT_FALSE(learned()) << what;
    }

    Scene scene_;
    Rig rig_;
    DecodeState& s_ = rig_.s;
};

TEST_F(ColourFromPreviewStep, fitsTheFilesOwnPreviewAndLearnsTheModel) {
    embed(256, 192);
    run();
    EXPECT_EQ(s_.colour.matrixSource, MatrixSource::File);
    ASSERT_TRUE(s_.sensor.useColourMatrix);
    expectNear(matrix(), kTrueMatrix);
    std::array<float, 3> preset{};
    std::copy_n(s_.colour.presetMultipliers.begin(), 3, preset.begin());
    expectBalance(preset);
    ASSERT_TRUE(learned());
    EXPECT_EQ(learned()->files, 1);
    EXPECT_EQ(matrixOrigin(s_, &rig_.learned), "file");
}

TEST_F(ColourFromPreviewStep, theCamerasBalanceIsTheOneItsPictureOfTheFileWasRenderedWith) {
    // Recorded multipliers that differ from the rendering's, or none at all, and a gray patch.
    for (const std::array<float, 4> recorded :
         {std::array<float, 4>{2.1f, 1, 1.2f, 1}, std::array<float, 4>{-1, 1, 1, 1}}) {
        s_.sensor.useColourMatrix = false;
        s_.colour.cameraMultipliers = recorded;
        s_.colour.grayPatch[0].fill(900);
        embed(256, 192);
        run();
        ASSERT_EQ(s_.colour.matrixSource, MatrixSource::File);
        expectBalance({s_.colour.cameraMultipliers[0], s_.colour.cameraMultipliers[1],
                       s_.colour.cameraMultipliers[2]});
        EXPECT_EQ(s_.colour.cameraMultipliers[3], s_.colour.cameraMultipliers[1]);
        EXPECT_EQ(s_.colour.grayPatch[0][0], 0);
        rig_.learned.write(kModel, "");
    }
    // Without a fit of its own the file keeps what it recorded.
    rig_.learned.write(kModel, formatLearnedColour({{kTrueMatrix, {2, 1, 3}}, 3}));
    s_.sensor.useColourMatrix = false;
    s_.colour.cameraMultipliers = {2.1f, 1, 1.2f, 1};
    run();
    EXPECT_EQ(s_.colour.matrixSource, MatrixSource::Learned);
    EXPECT_EQ(s_.colour.cameraMultipliers[0], 2.1f);
}

TEST_F(ColourFromPreviewStep, refusesPreviewsThatShowSomethingElseAndStoresNothing) {
    embed(120, 90);
    expectRefused("a placeholder below 160 pixels");
    embed(192, 256);
    expectRefused("a preview in the other orientation");
    embed(256, 192, [](double u, double v) { return std::pair{1 - u, 1 - v}; });
    expectRefused("a preview turned half round");
    embed(256, 192, [](double u, double v) { return std::pair{0.25 + u / 2, 0.25 + v / 2}; });
    expectRefused("another crop");
    embed(256, 192);
    rig_.file.openMemory(fixtures::Bytes(100, 0));
    expectRefused("a preview whose place lies beyond the file's end");
}

TEST_F(ColourFromPreviewStep, refusesRawDataThatIsCutShort) {
    embed(256, 192);
    std::fill(s_.image.get() + 40 * 128 * 4, s_.image.get() + 96 * 128 * 4, std::uint16_t{0});
    expectRefused("the lower rows never loaded");
}

TEST_F(ColourFromPreviewStep, aDecodeThatMayNotFitTakesOnlyWhatWasLearned) {
    embed(256, 192);
    s_.options.colourFit = false;
    run();
    EXPECT_EQ(s_.colour.matrixSource, MatrixSource::None);
    rig_.learned.write(kModel, formatLearnedColour({{kTrueMatrix, {2, 1, 3}}, 1}));
    run();
    EXPECT_EQ(s_.colour.matrixSource, MatrixSource::Learned);
    EXPECT_EQ(learned()->files, 1);
}

TEST_F(ColourFromPreviewStep, aModelLearnedFromThreeFilesIsNotFittedAgain) {
    rig_.learned.write(kModel, formatLearnedColour({{kTrueMatrix, {2, 1, 3}}, 3}));
    EXPECT_EQ(matrixOrigin(s_, &rig_.learned), "learned from 3 files");
    embed(256, 192);
    run();
    EXPECT_EQ(s_.colour.matrixSource, MatrixSource::Learned);
    EXPECT_EQ(s_.colour.presetMultipliers[2], 3.0f);  // the learned fixed balance
    EXPECT_EQ(learned()->files, 3);
}

TEST_F(ColourFromPreviewStep, aFileWithoutAPreviewUsesWhatWasLearnedAndATableMatrixWins) {
    rig_.learned.write(kModel, formatLearnedColour({{kTrueMatrix, {2, 1, 3}}, 1}));
    run();
    EXPECT_EQ(s_.colour.matrixSource, MatrixSource::Learned);
    expectNear(matrix(), kTrueMatrix);

    DecodeState table;
    table.id = {"Canon", "EOS 10D", ""};
    table.sensor.filterPattern = 0x94949494;
    setColourMatrixFromXyz(
        table, {0.8197f, -0.2f, -0.1118f, -0.6714f, 1.4335f, 0.2592f, -0.2536f, 0.3178f, 0.8266f});
    EXPECT_EQ(matrixOrigin(table, nullptr), "table");
}

TEST_F(ColourFromPreviewStep, withoutAStoreAFitServesTheDecodeAndNothingIsKept) {
    embed(256, 192);
    EXPECT_EQ(matrixOrigin(s_, nullptr), "file (fitted to its preview at decode)");
    DecodeContext ctx{s_, rig_.file, rig_.bits, rig_.pool, nullptr, nullptr};
    colourFromPreview(ctx);
    EXPECT_EQ(s_.colour.matrixSource, MatrixSource::File);
    expectNear(matrix(), kTrueMatrix);
    EXPECT_FALSE(learned());
}

TEST(LearnedColourText, readsBackWhatItWritesAndRefusesDamagedValues) {
    const LearnedColour learned{{kTrueMatrix, {1.5f, 1, 2.25f}}, 4};
    const auto back = parseLearnedColour(formatLearnedColour(learned));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->files, 4);
    expectNear(back->fit.matrix, kTrueMatrix);
    EXPECT_FLOAT_EQ(back->fit.balance[2], 2.25f);
    for (const char* damaged : {
             "",
             "1 0 0 0 1 0 0 0 1 1 1 1",            // no file count
             "1 0 0 0 1 0 0 0 1 1 1 1 2 7",        // one number too many
             "1 0 0 0 1 0 0 0 1 1 1 1 0",          // learned from no file
             "1 0 0 0 1 0 0 0 1 1 1 1 2.5",        // half a file
             "1 0 0 0 1 0 0 0 nan 1 1 1 2",        // not a number
             "1 0 0 0 1 0 0 0 1e30 1 1 1 2",       // no camera's matrix
             "1 0 0 0 1 0 0 0 1 0.5 1 1 2",        // a gain below 1
             "1 0 0 0 1 0 0 0 1 1 1 1 2 garbage",  // text behind it
         }) {
        EXPECT_FALSE(parseLearnedColour(damaged)) << '"' << damaged << '"';
    }
}

}  // namespace
}  // namespace tavrin::raw
