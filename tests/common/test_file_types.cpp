#include <gtest/gtest.h>

#include <vector>

#include "common/file_types.hpp"

namespace tavrin {
namespace {

TEST(FileTypes, theTableHoldsTheDesignedExtensionsInOrderThenTodaysFormats) {
    ASSERT_EQ(kSupportedExtensions.size(), 40u);
    EXPECT_EQ(kSupportedExtensions.front(), ".bay");
    EXPECT_EQ(kSupportedExtensions[12], ".jpg");
    EXPECT_EQ(kSupportedExtensions[13], ".jpeg");
    EXPECT_EQ(kSupportedExtensions[29], ".trashed");
    EXPECT_EQ(kSupportedExtensions[30], ".x3f");
    const std::vector<std::string_view> today(kSupportedExtensions.begin() + 31,
                                              kSupportedExtensions.end());
    EXPECT_EQ(today, (std::vector<std::string_view>{".cr3", ".rw2", ".rwl", ".arw", ".sr2", ".srw",
                                                    ".nrw", ".3fr", ".iiq"}));
    for (const auto e : kSupportedExtensions) {
        EXPECT_EQ(e.front(), '.');
        for (const char c : e)
            EXPECT_FALSE(c >= 'A' && c <= 'Z') << e;
    }
}

TEST(FileTypes, extensionsCompareWithoutCase) {
    EXPECT_TRUE(isSupportedExtension(".CR2"));
    EXPECT_TRUE(isSupportedExtension(".Trashed"));
    EXPECT_FALSE(isSupportedExtension(".txt"));
    EXPECT_FALSE(isSupportedExtension("cr2"));
    EXPECT_EQ(supportedExtensionOf("/a/IMG.TIFF"), ".tiff");
    EXPECT_EQ(supportedExtensionOf("/a/IMG.TIF"), ".tif");
    EXPECT_FALSE(supportedExtensionOf("/a/IMG.cr2.txt"));
    EXPECT_EQ(supportedExtensionOf("/a/IMG_0001.CR3"), ".cr3");
    EXPECT_EQ(supportedExtensionOf("/a/P100.RW2"), ".rw2");
    EXPECT_EQ(supportedExtensionOf("/a/DSC.ARW"), ".arw");  // not taken for ".raw"
}

TEST(FileTypes, putAsideFilesKeepTheirInnerExtension) {
    EXPECT_EQ(extensionOf("/dir.d/x.RAF.trashed"), ".trashed");
    EXPECT_EQ(extensionOf("/dir.d/noext"), "");
    EXPECT_TRUE(isTrashed("x.RAF.TRASHED"));
    EXPECT_EQ(innerExtension("x.RAF.trashed"), ".RAF");
    EXPECT_EQ(innerExtension("/p/x.nef"), ".nef");
    EXPECT_EQ(innerExtension("/p.q/x.trashed"), "");
}

}  // namespace
}  // namespace tavrin
