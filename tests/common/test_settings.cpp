#include <gtest/gtest.h>

#include "common/file_types.hpp"
#include "common/settings.hpp"
#include "common/settings_names.hpp"
#include "platform/registry/registry.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin {
namespace {

using registry::Root;
using namespace settings;

class Settings : public test::TempRegistry {};

TEST_F(Settings, anEmptyStoreGivesEveryDefault) {
    // A put-aside thumbnail is crossed, a RAW thumbnail uses the embedded preview.
    EXPECT_EQ(getUserSetting(kTrashed, kCrossImage.name, kCrossImage.defaultValue), 1u);
    EXPECT_EQ(getUserSetting(".CR2", kUseEmbeddedForThumbnail.name,
                             kUseEmbeddedForThumbnail.defaultValue),
              1u);
    EXPECT_EQ(getUserSetting(kSlideshow, kSlideshowDelay.name, kSlideshowDelay.defaultValue), 5u);
    EXPECT_EQ(getUserStringSetting(kLog, kLogFileName.name, kLogFileName.defaultValue),
              "C:\\Tavrin.log");
    EXPECT_EQ(getUserStringSetting(kViewer, kGamma.name, kGamma.defaultValue), "0.45");
    EXPECT_EQ(getBrightnessIndex(), 0);
}

TEST_F(Settings, aValueWrittenForOneCaseIsFoundForAnother) {
    ASSERT_TRUE(setUserSetting(".CR2", kUseEmbeddedForThumbnail.name, 0));
    EXPECT_EQ(getUserSetting(std::string(innerExtension("/pics/IMG_0001.cr2")),
                             kUseEmbeddedForThumbnail.name, 1),
              0u);
    // The value sits under the product key followed directly by the subkey.
    EXPECT_EQ(
        registry::queryDword(Root::CurrentUser, "Software\\Tavrin Software\\Tavrin Plus\\.cr2",
                             "useembededforthumbnail"),
        0u);
}

TEST_F(Settings, brightnessIsReadAsDecimalText) {
    ASSERT_TRUE(setUserStringSetting(kViewer, kBrightnessIndex.name, "-3"));
    EXPECT_EQ(getBrightnessIndex(), -3);
    setUserStringSetting(kViewer, kBrightnessIndex.name, "abc");
    EXPECT_EQ(getBrightnessIndex(), 0);
    setUserStringSetting(kViewer, kBrightnessIndex.name, " +4x");
    EXPECT_EQ(getBrightnessIndex(), 4);
    // Stored as a DWORD it is not text: the default applies.
    setUserSetting(kViewer, kBrightnessIndex.name, 5);
    EXPECT_EQ(getBrightnessIndex(), 0);
}

TEST_F(Settings, aValueOfTheWrongTypeOrLengthGivesTheDefault) {
    setUserStringSetting(kLog, kLogOn.name, "1");
    EXPECT_EQ(getUserSetting(kLog, kLogOn.name, 0), 0u);
    setUserStringSetting(kLog, kLogFileName.name, std::string(260, 'x'));
    EXPECT_EQ(getUserStringSetting(kLog, kLogFileName.name, "dflt"), "dflt");
    setUserStringSetting(kLog, kLogFileName.name, std::string(259, 'x'));
    EXPECT_EQ(getUserStringSetting(kLog, kLogFileName.name, "dflt").size(), 259u);
}

TEST_F(Settings, extensionOwnershipComparesTheClassWithoutCase) {
    EXPECT_FALSE(isExtensionOwnedBy(".cr2", "TavrinImage"));
    registry::setValue(Root::ClassesRoot, ".cr2", "", std::string("tavrinimage"));
    EXPECT_TRUE(isExtensionOwnedBy(".CR2", "TavrinImage"));
    EXPECT_FALSE(isExtensionOwnedBy(".cr2", "TavrinImageT"));
    registry::setValue(Root::ClassesRoot, ".cr2", "", std::string("Other.App"));
    EXPECT_FALSE(isExtensionOwnedBy(".cr2", "TavrinImage"));
}

TEST(ParseDecimal, readsLikeTheRuntimesConversion) {
    EXPECT_EQ(parseDecimal("12"), 12);
    EXPECT_EQ(parseDecimal("\t-7 apples"), -7);
    EXPECT_EQ(parseDecimal(""), 0);
    EXPECT_EQ(parseDecimal("-"), 0);
    EXPECT_EQ(parseDecimal("99999999999"), 2147483647);
    EXPECT_EQ(parseDecimal("-99999999999"), -2147483647 - 1);
}

}  // namespace
}  // namespace tavrin
