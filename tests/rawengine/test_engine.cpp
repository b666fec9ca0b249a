#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "rawengine/loader_exception.hpp"
#include "rawengine/raw_engine.hpp"
#include "tests/fixtures/fixture_writer.hpp"
#include "tests/fixtures/raw_encoders.hpp"
#include "tests/rawengine/engine_rig.hpp"

namespace tavrin::raw {
namespace {

using namespace fixtures;
using com::E_FAIL;
using com::E_NOTIMPL;
using com::S_OK;

// What the sink heard of one stage.
struct Heard {
    DecodeStage stage;
    int percent;
    std::string make, model, path;
    bool operator==(const Heard&) const = default;
};

// Records what the sink hears; answers false from a given question on.
struct Sink final : IDecodeProgress {
    std::vector<Heard> statuses;
    int questions = 0;
    int refuseFrom = 1 << 30;
    void SetStatusId(unsigned, int) override {}
    void SetStatus(const DecodeStatus& status, int percent) override {
        statuses.push_back({status.stage, percent, std::string(status.make),
                            std::string(status.model), std::string(status.path)});
    }
    bool ShouldContinue() override { return ++questions < refuseFrom; }
};

// Stages that only record that they ran.
std::vector<std::string> ran;
void loader(DecodeContext&) {
    ran.push_back("load");
}
void foveon(DecodeContext&) {
    ran.push_back("foveon");
}
void scale(DecodeContext& c) {
    ran.push_back(std::string("scale") + (c.state.options.cameraWhiteBalance ? " camera" : "") +
                  (c.state.options.autoWhiteBalance ? " auto" : ""));
}
void vng(DecodeContext&) {
    ran.push_back("vng");
}
void rotate(DecodeContext&) {
    ran.push_back("rotate");
}
void convert(DecodeContext&) {
    ran.push_back("convert");
}
StageFn anyLoader(Loader) {
    return loader;
}

const Pipeline kFake{anyLoader, foveon, scale, vng, rotate, convert};

class Engine : public EngineFiles {
  protected:
    void SetUp() override { ran.clear(); }
    // A NEF written to disk, by default a small supported one with a 64 x 48 sensor; or a file
    // of another camera in the same shape.
    std::filesystem::path nef(std::uint32_t width = 64, std::uint32_t height = 48,
                              const char* make = "NIKON", const char* model = "D70",
                              const char* name = "DSC_0001.NEF") {
        const Fields f;
        Ifd raw{{f.longs(256, {width}), f.longs(257, {height}), f.shorts(259, {1}),
                 f.longs(273, {512}), f.bytes(33422, {0, 1, 1, 2})}};
        const auto path = root() / name;
        writeFile(path,
                  tiff({Ifd{{f.text(271, make), f.text(272, model), f.directories(330, {raw})}}},
                       true, 8192));
        return path;
    }
    std::filesystem::path x3fFile() {
        const auto path = root() / "IMG.X3F";
        writeFile(path, x3f({{"CAMMANUF", "SIGMA"}, {"CAMMODEL", "SD10"}}, 32, 24));
        return path;
    }
};

TEST_F(Engine, anUnreadableFileFailsWithOneLine) {
    RawEngine engine;
    testing::internal::CaptureStderr();
    int w = -1, h = -1;
    EXPECT_EQ(
        engine.OpenAndIdentify(root() / "missing.CR2", &w, &h, nullptr, nullptr, nullptr, true),
        E_FAIL);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("missing.CR2: No such file or directory\n"), std::string::npos) << err;
    EXPECT_EQ(w, -1);
}

TEST_F(Engine, reportsTheIdentifiedFacts) {
    RawEngine engine;
    int w = -1, h = -1, rotation = -1;
    std::string make, model;
    ASSERT_EQ(engine.OpenAndIdentify(nef(), &w, &h, &rotation, &make, &model, true), S_OK);
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 48);
    EXPECT_EQ(rotation, 0);
    EXPECT_EQ(make, "NIKON");
    EXPECT_EQ(model, "D70");
}

TEST_F(Engine, refusesFilesItCannotLoadAsNotImplemented) {
    const auto path = nef(64, 48, "SONY", "DSC-V3", "DSC00001.SRF");
    RawEngine built;  // this build cannot read Sony's enciphered data
    ASSERT_EQ(built.OpenAndIdentify(path, nullptr, nullptr, nullptr, nullptr, nullptr, false),
              S_OK);
    EXPECT_EQ(built.OpenImageFile(path, nullptr, true, true, kWhiteBalanceFromSettings, options()),
              E_NOTIMPL);

    const auto text = root() / "notes.txt";
    writeFile(text, Bytes(100, 'x'));
    RawEngine engine(kFake);
    ASSERT_EQ(engine.OpenAndIdentify(text, nullptr, nullptr, nullptr, nullptr, nullptr, false),
              S_OK);
    EXPECT_EQ(engine.OpenImageFile(text, nullptr, true, true, kWhiteBalanceFromSettings, options()),
              E_NOTIMPL);
    EXPECT_TRUE(ran.empty());
}

TEST_F(Engine, runsItsStepsInOrderAndTellsTheSink) {
    const auto path = nef();
    RawEngine engine(kFake);
    ASSERT_EQ(engine.OpenAndIdentify(path, nullptr, nullptr, nullptr, nullptr, nullptr, false),
              S_OK);
    Sink sink;
    ASSERT_EQ(engine.OpenImageFile(path, &sink, false, false, kWhiteBalanceFromSettings, options()),
              S_OK);
    EXPECT_EQ(ran, (std::vector<std::string>{"load", "scale", "vng", "rotate", "convert"}));
    ASSERT_EQ(sink.statuses.size(), 3u);
    EXPECT_EQ(sink.statuses[0], (Heard{DecodeStage::Loading, 10, "NIKON", "D70", path.string()}));
    EXPECT_EQ(sink.statuses[1], (Heard{DecodeStage::VngInterpolation, 60, "", "", ""}));
    EXPECT_EQ(sink.statuses[2], (Heard{DecodeStage::Converting, 90, "", "", ""}));
    int w = 0, h = 0;
    engine.GetOutputSize(&w, &h);
    EXPECT_EQ(w, 62);  // the interpolation border is trimmed
    EXPECT_EQ(h, 46);
}

TEST_F(Engine, aHalfSizeDecodeSkipsInterpolationAndKeepsItsWholeSize) {
    const auto path = nef();
    RawEngine engine(kFake);
    engine.OpenAndIdentify(path, nullptr, nullptr, nullptr, nullptr, nullptr, false);
    ASSERT_EQ(engine.OpenImageFile(path, nullptr, true, true, kWhiteBalanceFromSettings, options()),
              S_OK);
    EXPECT_EQ(ran, (std::vector<std::string>{"load", "scale", "rotate", "convert"}));
    int w = 0, h = 0;
    engine.GetOutputSize(&w, &h);
    EXPECT_EQ(w, 32);
    EXPECT_EQ(h, 24);
    EXPECT_EQ(engine.state().geometry.trim, 0);
}

TEST_F(Engine, aSensorWithoutFilterDecodesAtFullSizeEvenWhenHalfIsAsked) {
    const auto path = x3fFile();
    RawEngine engine(kFake);
    engine.OpenAndIdentify(path, nullptr, nullptr, nullptr, nullptr, nullptr, false);
    Sink sink;
    ASSERT_EQ(engine.OpenImageFile(path, &sink, true, true, kWhiteBalanceFromSettings, options()),
              S_OK);
    EXPECT_EQ(ran, (std::vector<std::string>{"load", "foveon", "rotate", "convert"}));
    EXPECT_EQ(sink.statuses[1], (Heard{DecodeStage::FoveonInterpolation, 40, "", "", ""}));
    int w = 0, h = 0;
    engine.GetOutputSize(&w, &h);
    EXPECT_EQ(w, 32);
}

TEST_F(Engine, aSinkThatRefusesAtOnceStopsBeforeTheLoader) {
    const auto path = nef();
    RawEngine engine(kFake);
    engine.OpenAndIdentify(path, nullptr, nullptr, nullptr, nullptr, nullptr, false);
    Sink sink;
    sink.refuseFrom = 1;
    EXPECT_EQ(engine.OpenImageFile(path, &sink, false, true, kWhiteBalanceFromSettings, options()),
              E_FAIL);
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(engine.state().image, nullptr);

    ran.clear();
    RawEngine late(kFake);
    late.OpenAndIdentify(path, nullptr, nullptr, nullptr, nullptr, nullptr, false);
    Sink last;
    last.refuseFrom = 4;  // the question before conversion
    EXPECT_EQ(late.OpenImageFile(path, &last, false, true, kWhiteBalanceFromSettings, options()),
              E_FAIL);
    EXPECT_EQ(ran.back(), "rotate");
}

TEST_F(Engine, choosesWhiteBalanceFromTheOptionsUnlessOverridden) {
    const auto path = nef();
    auto decode = [&](std::uint32_t mode, std::uint32_t override) {
        ran.clear();
        RawEngine engine(kFake);
        engine.OpenAndIdentify(path, nullptr, nullptr, nullptr, nullptr, nullptr, false);
        DecodeOptions o = options();
        o.whiteBalanceMode = mode;
        engine.OpenImageFile(path, nullptr, true, true, override, o);
        return ran[1];
    };
    EXPECT_EQ(decode(0, kWhiteBalanceFromSettings), "scale");
    EXPECT_EQ(decode(1, kWhiteBalanceFromSettings), "scale camera");
    EXPECT_EQ(decode(2, kWhiteBalanceFromSettings), "scale auto");
    EXPECT_EQ(decode(2, 0), "scale");  // the override wins
    EXPECT_EQ(decode(0, 1), "scale camera");
}

TEST_F(Engine, brightnessFollowsTheIndex) {
    const auto path = nef();
    RawEngine engine(kFake);
    engine.OpenAndIdentify(path, nullptr, nullptr, nullptr, nullptr, nullptr, false);
    engine.OpenImageFile(path, nullptr, true, true, 0, options());
    EXPECT_FLOAT_EQ(engine.state().colour.brightness, 1.0f);
    RawEngine darker(kFake);
    darker.OpenAndIdentify(path, nullptr, nullptr, nullptr, nullptr, nullptr, false);
    DecodeOptions o = options();
    o.brightnessIndex = -3;
    darker.OpenImageFile(path, nullptr, true, true, 0, o);
    EXPECT_NEAR(darker.state().colour.brightness, 0.5787, 1e-4);
}

// The options reach the steps: whether colours may be fitted, and where they are learned.
TEST_F(Engine, handsItsStepsTheColourFitChoiceAndTheStore) {
    const auto path = nef();
    static const LearnedColourStore* seen = nullptr;
    static bool fitAllowed = true;
    Pipeline pipeline = kFake;
    pipeline.colourFromPreview = [](DecodeContext& c) {
        seen = c.learnedColours;
        fitAllowed = c.state.options.colourFit;
    };
    RawEngine engine(pipeline);
    engine.OpenAndIdentify(path, nullptr, nullptr, nullptr, nullptr, nullptr, false);
    DecodeOptions o = options();
    o.colourFit = false;
    ASSERT_EQ(engine.OpenImageFile(path, nullptr, true, true, 0, o), S_OK);
    EXPECT_EQ(seen, &learned());
    EXPECT_FALSE(fitAllowed);
}

void exhaustingLoader(DecodeContext&) {
    throw std::bad_alloc();
}

TEST_F(Engine, refusesASensorWithASideNoCameraHas) {
    // No pixels at all, but 738 million rows: every step would walk them one by one.
    const auto path = nef(0, 738327084);
    RawEngine engine(kFake);
    ASSERT_EQ(engine.OpenAndIdentify(path, nullptr, nullptr, nullptr, nullptr, nullptr, false),
              S_OK);
    EXPECT_NE(
        engine.OpenImageFile(path, nullptr, false, true, kWhiteBalanceFromSettings, options()),
        S_OK);
    EXPECT_TRUE(ran.empty());
}

TEST_F(Engine, namesTheLoaderWhoseBufferCouldNotBeAllocated) {
    const auto path = nef();
    const Pipeline exhausting{
        [](Loader) -> StageFn { return exhaustingLoader; }, foveon, scale, vng, rotate, convert};
    RawEngine engine(exhausting);
    ASSERT_EQ(engine.OpenAndIdentify(path, nullptr, nullptr, nullptr, nullptr, nullptr, false),
              S_OK);
    try {
        engine.OpenImageFile(path, nullptr, true, true, kWhiteBalanceFromSettings, options());
        FAIL() << "no exception";
    } catch (const CImageLoaderException& e) {
        EXPECT_EQ(e.outOfMemoryStep(), std::string(loaderName(engine.state().loader)) + "()");
        EXPECT_EQ(e.text(), "");
    }
}

// A DC120 file as the camera writes it (rows turned, 848 x 976 sensor pixels in a SubIFD) of a
// left-to-right ramp: every decoded row is the same ramp, at the camera's 4:3 proportions.
TEST_F(Engine, issue17_aDc120DecodesItsTurnedRowsIntoA43Picture) {
    constexpr int kWidth = 848, kHeight = 976;
    std::vector<std::uint8_t> samples(static_cast<std::size_t>(kWidth) * kHeight);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::uint8_t>(40 + (i % kWidth) * 160 / kWidth);
    const Fields f(false);
    auto build = [&](std::uint32_t dataAt) {
        Ifd raw{{f.shorts(256, {1280}), f.shorts(257, {960}), f.shorts(258, {8}),
                 f.shorts(259, {1}), f.shorts(262, {32803}), f.longs(273, {dataAt}),
                 f.longs(279, {static_cast<std::uint32_t>(samples.size())})}};
        return tiff(
            {Ifd{{f.longs(254, {1}), f.text(271, "Eastman Kodak Company"),
                  f.text(272, "Kodak DC120 ZOOM Digital Camera"), f.directories(330, {raw})}}},
            false);
    };
    Bytes file = build(static_cast<std::uint32_t>(build(0).size()));
    const Bytes rows = dc120Rows(samples);
    file.insert(file.end(), rows.begin(), rows.end());
    const auto path = root() / "P0001.KDC";
    writeFile(path, file);

    RawEngine engine;
    int w = -1, h = -1;
    ASSERT_EQ(engine.OpenAndIdentify(path, &w, &h, nullptr, nullptr, nullptr, false), S_OK);
    ASSERT_EQ(engine.OpenImageFile(path, nullptr, true, true, 0, options()), S_OK);
    const auto picture = engine.CreateGdiplusBitmap();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->width(), 1301);
    EXPECT_EQ(picture->height(), 976);
    // Columns keep their brightness from top to bottom: no row is turned.
    for (int x : {100, 650, 1200}) {
        const int top = picture->row(10)[3 * x + 1];
        for (int y = 10; y < 966; y += 37)
            EXPECT_NEAR(picture->row(y)[3 * x + 1], top, 6) << x << ", " << y;
    }
    EXPECT_LT(picture->row(500)[3 * 100 + 1] + 40, picture->row(500)[3 * 1200 + 1]);
}

TEST(EngineMessages, outOfMemoryNamesTheStepAndOtherFailuresTheirText) {
    const auto memory = CImageLoaderException::outOfMemory(" jpeg_start()");
    EXPECT_EQ(memory.outOfMemoryStep(), " jpeg_start()");
    EXPECT_EQ(memory.text(), "");
    const CImageLoaderException overflow("decoder table overflow");
    EXPECT_EQ(overflow.outOfMemoryStep(), "");
    EXPECT_EQ(overflow.text(), "decoder table overflow");
}

TEST_F(Engine, enginesOnTwoThreadsDoNotInterfere) {
    const auto a = nef();
    const auto b = x3fFile();
    std::string modelA, modelB;
    std::thread ta([&] {
        for (int i = 0; i < 50; ++i) {
            RawEngine e;
            e.OpenAndIdentify(a, nullptr, nullptr, nullptr, nullptr, &modelA, true);
        }
    });
    std::thread tb([&] {
        for (int i = 0; i < 50; ++i) {
            RawEngine e;
            e.OpenAndIdentify(b, nullptr, nullptr, nullptr, nullptr, &modelB, true);
        }
    });
    ta.join();
    tb.join();
    EXPECT_EQ(modelA, "D70");
    EXPECT_EQ(modelB, "SD10");
}

}  // namespace
}  // namespace tavrin::raw
