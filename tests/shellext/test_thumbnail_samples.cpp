// Thumbnails of every real sample file through the shell object: each file with an embedded
// preview gives a 256 x 256 picture of that preview, centred, on white.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "platform/imaging/decode.hpp"
#include "shellext/extractor/raw_image_extractor.hpp"
#include "shellext/info/image_info_reader.hpp"
#include "tests/support/samples.hpp"
#include "tests/support/shell_object.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin::shell {
namespace {

using namespace com;

class ThumbnailSamples : public test::TempRegistry {};

TEST_F(ThumbnailSamples, everyPreviewBecomesACentredThumbnail) {
    const auto dir = test::samplesDir();
    if (!std::filesystem::exists(dir)) GTEST_SKIP() << "sample folder missing: " << dir;
    const test::RegisteredShellObject shell;
    ASSERT_TRUE(shell.ok());

    int thumbnails = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
        const std::string name = entry.path().string();
        ImageInfo info;
        info.filePath = name;
        const bool hasPreview = SUCCEEDED(ReadImageInfo(info, true));

        const auto result = shell.thumbnail(name, 256, 0);
        const HRESULT hr = result.result;
        const imaging::BitmapHandle& owned = result.bitmap;
        if (!hasPreview) {
            // The raw data decoded, or a clean failure: never an empty canvas.
            if (SUCCEEDED(hr)) {
                const imaging::Bitmap& thumb = *imaging::bitmapOf(owned.get());
                EXPECT_EQ(thumb.width(), 256) << name;
                EXPECT_EQ(thumb.height(), 256) << name;
            }
            continue;
        }
        ASSERT_EQ(hr, S_OK) << name;
        const imaging::Bitmap& thumb = *imaging::bitmapOf(owned.get());
        ASSERT_EQ(thumb.width(), 256) << name;
        ASSERT_EQ(thumb.height(), 256) << name;
        ++thumbnails;

        // The preview's centre is the thumbnail's centre.
        const auto* bytes = static_cast<const std::uint8_t*>(GlobalLock(info.previewData));
        auto preview = imaging::decodeImage({bytes, GlobalSize(info.previewData)});
        GlobalUnlock(info.previewData);
        ASSERT_EQ(preview.status, imaging::Status::Ok) << name;
        const imaging::Bitmap& p = *preview.bitmap;
        const std::uint8_t* expected = p.row(p.height() / 2) + 3 * (p.width() / 2);
        const std::uint8_t* actual = thumb.row(128) + 3 * 128;
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(actual[c], expected[c], 64) << name;
        // A picture wider than tall as shown leaves white above and below it.
        const bool sideways = info.orientation == 90 || info.orientation == 270;
        const int shownW = sideways ? p.height() : p.width(),
                  shownH = sideways ? p.width() : p.height();
        if (shownW > shownH * 1.1) {
            const std::uint8_t* top = thumb.row(0) + 3 * 128;
            EXPECT_TRUE(top[0] == 255 && top[1] == 255 && top[2] == 255) << name;
        }
        // Without the canvas (what `tavrin thumbnail` asks for) the longer side is the box's and
        // the other keeps the proportions.
        const auto bare = shell.thumbnail(name, 256, IEIFLAG_ORIGSIZE);
        ASSERT_EQ(bare.result, S_OK) << name;
        const imaging::Bitmap& b = *imaging::bitmapOf(bare.bitmap.get());
        const bool wide = shownW >= shownH;
        const long other = std::lround(256.0 * (wide ? shownH : shownW) / (wide ? shownW : shownH));
        EXPECT_EQ(b.width(), wide ? 256 : std::max(1L, other)) << name;
        EXPECT_EQ(b.height(), wide ? std::max(1L, other) : 256) << name;
    }
    EXPECT_GE(thumbnails, 150);
}

}  // namespace
}  // namespace tavrin::shell
