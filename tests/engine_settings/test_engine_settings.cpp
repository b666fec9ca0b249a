// What the engine's callers hand it from the settings: the options of a decode, the learned
// colours in the settings store, and the German texts of its stages and memory errors.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "common/settings.hpp"
#include "common/settings_names.hpp"
#include "engine_settings/decode_settings.hpp"
#include "engine_settings/decode_texts.hpp"
#include "engine_settings/settings_learned_colours.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin::engine_settings {
namespace {

using raw::DecodeStage;

class DecodeSettings : public test::TempRegistry {};

TEST_F(DecodeSettings, whiteBalanceComesFromTheGlobalModeOrTheTypesOwn) {
    EXPECT_EQ(decodeOptionsFor("/photos/DSC_0001.NEF").whiteBalanceMode, 0u);
    setUserSetting(settings::kWhiteBalance, "Mode", 1);
    EXPECT_EQ(decodeOptionsFor("/photos/DSC_0001.NEF").whiteBalanceMode, 1u);
    setUserSetting(".NEF", "WhiteBalanceMode", 2);
    EXPECT_EQ(decodeOptionsFor("/photos/DSC_0001.NEF").whiteBalanceMode, 1u);  // not in use
    setUserSetting(".NEF", "UseWhiteBalance", 1);
    EXPECT_EQ(decodeOptionsFor("/photos/DSC_0001.NEF").whiteBalanceMode, 2u);
    EXPECT_EQ(decodeOptionsFor("/photos/IMG_0001.CR2").whiteBalanceMode, 1u);
}

TEST_F(DecodeSettings, brightnessFollowsTheStoredIndexAndColoursAreLearnedInTheSettings) {
    const raw::DecodeOptions before = decodeOptionsFor("/photos/IMG_0001.CR2");
    EXPECT_EQ(before.brightnessIndex, 0);
    EXPECT_TRUE(before.colourFit);
    ASSERT_NE(before.learnedColours, nullptr);
    setUserStringSetting(settings::kViewer, "BrightnessIndex", "-3");
    EXPECT_EQ(decodeOptionsFor("/photos/IMG_0001.CR2").brightnessIndex, -3);

    before.learnedColours->write("Canon EOS 10D", "1 0 0 0 1 0 0 0 1 1 1 1 1");
    EXPECT_EQ(getUserStringSetting(kLearnedColoursKey, "Canon EOS 10D", ""),
              "1 0 0 0 1 0 0 0 1 1 1 1 1");
}

constexpr raw::ColourFit kFit{
    {{{1.70f, -0.55f, -0.15f}, {-0.25f, 1.55f, -0.30f}, {-0.05f, -0.75f, 1.80f}}}, {1.5f, 1, 2}};
constexpr const char* kModel = "Tavrin Synthetic";

class LearnedColours : public test::TempRegistry {
  protected:
    SettingsLearnedColours store_;
};

TEST_F(LearnedColours, aDamagedStoredValueIsIgnoredAndReplaced) {
    setUserStringSetting(kLearnedColoursKey, kModel, "1 2 3 garbage");
    EXPECT_FALSE(readLearnedColour(store_, kModel));
    EXPECT_EQ(rememberColourFit(store_, kModel, kFit).files, 1);
    EXPECT_EQ(readLearnedColour(store_, kModel)->files, 1);
}

TEST_F(LearnedColours, survivesASecondProcessAndIsAveragedOverFiles) {
    raw::ColourFit other = kFit;
    other.matrix[0] = {1.5f, -0.4f, -0.1f};
    other.balance = {2.5f, 1, 1};
    rememberColourFit(store_, kModel, kFit);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SettingsLearnedColours own;
        const auto learned = rememberColourFit(own, kModel, other);
        _exit(learned.files == 2 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const auto learned = readLearnedColour(store_, kModel);
    ASSERT_TRUE(learned);
    EXPECT_EQ(learned->files, 2);
    EXPECT_NEAR(learned->fit.matrix[0][0], (1.70f + 1.5f) / 2, 1e-5f);
    EXPECT_NEAR(learned->fit.matrix[1][1], 1.55f, 1e-5f);
    EXPECT_NEAR(learned->fit.balance[0], 2.0f, 1e-5f);
    EXPECT_NEAR(learned->fit.balance[2], 1.5f, 1e-5f);
}

TEST_F(LearnedColours, aStoreThatCannotBeWrittenStillGivesTheFilesOwnFit) {
    // A file where the settings folder should be: nothing can be locked or written there.
    std::ofstream(userDir()) << "not a folder";
    const auto learned = rememberColourFit(store_, kModel, kFit);
    EXPECT_EQ(learned.files, 1);
    EXPECT_EQ(learned.fit.matrix, kFit.matrix);
    EXPECT_EQ(learned.fit.balance, kFit.balance);
    EXPECT_FALSE(readLearnedColour(store_, kModel));
}

TEST_F(LearnedColours, decodesLearningAtOnceInSeveralProcessesAllCount) {
    constexpr int kProcesses = 4, kFilesEach = 5;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            SettingsLearnedColours own;
            for (int i = 0; i < kFilesEach; ++i)
                rememberColourFit(own, kModel, kFit);
            _exit(0);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const auto learned = readLearnedColour(store_, kModel);
    ASSERT_TRUE(learned);
    EXPECT_EQ(learned->files, kProcesses * kFilesEach);
    EXPECT_NEAR(learned->fit.matrix[0][0], 1.70f, 1e-4f);
}

TEST(DecodeTexts, everyStageHasItsLine) {
    EXPECT_EQ(statusText({DecodeStage::Loading, "NIKON", "D70", "/photos/DSC_0001.NEF"}),
              "Lade NIKON D70 Bild von /photos/DSC_0001.NEF...");
    EXPECT_EQ(statusText({DecodeStage::FoveonInterpolation, {}, {}, {}}),
              "Foveon-Interpolation...");
    EXPECT_EQ(statusText({DecodeStage::BilinearInterpolation, {}, {}, {}}),
              "Bilineare Interpolation...");
    EXPECT_EQ(statusText({DecodeStage::VngInterpolation, {}, {}, {}}), "VNG-Interpolation...");
    EXPECT_EQ(statusText({DecodeStage::Converting, {}, {}, {}}), "Umwandeln in RGB Farbraum...");
}

TEST(DecodeTexts, aMemoryErrorNamesTheStepAndOtherFailuresKeepTheirText) {
    EXPECT_EQ(loaderErrorText(raw::CImageLoaderException::outOfMemory(" jpeg_start()")),
              "Nicht genügend Speicher in  jpeg_start()\n");
    EXPECT_EQ(loaderErrorText(raw::CImageLoaderException::outOfMemory("OpenImageFile()")),
              "Nicht genügend Speicher in OpenImageFile()\n");
    EXPECT_EQ(loaderErrorText(raw::CImageLoaderException("decoder table overflow")),
              "decoder table overflow");
}

}  // namespace
}  // namespace tavrin::engine_settings
