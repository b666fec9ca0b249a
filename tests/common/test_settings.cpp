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
    EXPECT_EQ(GetUserSetting(kTrashed, kCrossImage.name, kCrossImage.defaultValue), 1u);
    EXPECT_EQ(GetUserSetting(".CR2", kUseEmbeddedForThumbnail.name,
                             kUseEmbeddedForThumbnail.defaultValue),
              1u);
    EXPECT_EQ(GetUserSetting(kSlideshow, kSlideshowDelay.name, kSlideshowDelay.defaultValue), 5u);
    EXPECT_EQ(GetUserStringSetting(kLog, kLogFileName.name, kLogFileName.defaultValue),
              "C:\\Tavrin.log");
    EXPECT_EQ(GetUserStringSetting(kViewer, kGamma.name, kGamma.defaultValue), "0.45");
    EXPECT_EQ(GetBrightnessIndex(), 0);
}

TEST_F(Settings, aValueWrittenForOneCaseIsFoundForAnother) {
    ASSERT_TRUE(SetUserSetting(".CR2", kUseEmbeddedForThumbnail.name, 0));
    EXPECT_EQ(GetUserSetting(std::string(innerExtension("/pics/IMG_0001.cr2")),
                             kUseEmbeddedForThumbnail.name, 1),
              0u);
    // The value sits under the product key followed directly by the subkey.
    EXPECT_EQ(
        registry::queryDword(Root::CurrentUser, "Software\\Tavrin Software\\Tavrin Plus\\.cr2",
                             "useembededforthumbnail"),
        0u);
}

TEST_F(Settings, brightnessIsReadAsDecimalText) {
    ASSERT_TRUE(SetUserStringSetting(kViewer, kBrightnessIndex.name, "-3"));
    EXPECT_EQ(GetBrightnessIndex(), -3);
    SetUserStringSetting(kViewer, kBrightnessIndex.name, "abc");
    EXPECT_EQ(GetBrightnessIndex(), 0);
    SetUserStringSetting(kViewer, kBrightnessIndex.name, " +4x");
    EXPECT_EQ(GetBrightnessIndex(), 4);
    // Stored as a DWORD it is not text: the default applies.
    SetUserSetting(kViewer, kBrightnessIndex.name, 5);
    EXPECT_EQ(GetBrightnessIndex(), 0);
}

TEST_F(Settings, aValueOfTheWrongTypeOrLengthGivesTheDefault) {
    SetUserStringSetting(kLog, kLogOn.name, "1");
    EXPECT_EQ(GetUserSetting(kLog, kLogOn.name, 0), 0u);
    SetUserStringSetting(kLog, kLogFileName.name, std::string(260, 'x'));
    EXPECT_EQ(GetUserStringSetting(kLog, kLogFileName.name, "dflt"), "dflt");
    SetUserStringSetting(kLog, kLogFileName.name, std::string(259, 'x'));
    EXPECT_EQ(GetUserStringSetting(kLog, kLogFileName.name, "dflt").size(), 259u);
}

TEST_F(Settings, extensionOwnershipComparesTheClassWithoutCase) {
    EXPECT_FALSE(IsExtensionOwnedBy(".cr2", "TavrinImage"));
    registry::setValue(Root::ClassesRoot, ".cr2", "", std::string("tavrinimage"));
    EXPECT_TRUE(IsExtensionOwnedBy(".CR2", "TavrinImage"));
    EXPECT_FALSE(IsExtensionOwnedBy(".cr2", "TavrinImageT"));
    registry::setValue(Root::ClassesRoot, ".cr2", "", std::string("Other.App"));
    EXPECT_FALSE(IsExtensionOwnedBy(".cr2", "TavrinImage"));
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
