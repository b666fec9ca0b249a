// Thumbnails of every real sample file through the shell object: each file with an embedded
// preview gives a 256 x 256 picture of that preview, centred, on white.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/com/activation.hpp"
#include "platform/com/shell_interfaces.hpp"
#include "platform/com/wide_text.hpp"
#include "platform/imaging/decode.hpp"
#include "shellext/extractor/raw_image_extractor.hpp"
#include "shellext/info/image_info_reader.hpp"
#include "tests/support/samples.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin::shell {
namespace {

using namespace com;

class ThumbnailSamples : public test::TempRegistry {};

TEST_F(ThumbnailSamples, everyPreviewBecomesACentredThumbnail) {
    const auto dir = test::samplesDir();
    if (!std::filesystem::exists(dir)) GTEST_SKIP() << "sample folder missing: " << dir;
    void* module = ::dlopen(TAVRIN_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr);
    ASSERT_EQ(reinterpret_cast<HRESULT (*)()>(::dlsym(module, "DllRegisterServer"))(), S_OK);
    CLSID clsid;
    ASSERT_EQ(CLSIDFromProgID("Tavrin.RawImageExtractor", &clsid), S_OK);

    int thumbnails = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
        const std::string name = entry.path().string();
        ImageInfo info;
        info.filePath = name;
        const bool hasPreview = SUCCEEDED(ReadImageInfo(info, true));

        ComPtr<IPersistFile> persist;
        ASSERT_EQ(
            CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistFile, persist.out()),
            S_OK);
        persist->Load(toWide(name).c_str(), 0);
        ComPtr<IExtractImage2> extract;
        persist->QueryInterface(IID_IExtractImage2, extract.out());
        const SIZE box{256, 256};
        DWORD flags = 0, priority = 0;
        WCHAR path[260];
        extract->GetLocation(path, 260, &priority, &box, 24, &flags);
        HBITMAP handle = nullptr;
        const HRESULT hr = extract->Extract(&handle);
        imaging::BitmapHandle owned(handle);
        if (!hasPreview) {
            EXPECT_TRUE(FAILED(hr)) << name;  // no raw decoding in this build: no picture
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
    }
    ::dlclose(module);
    EXPECT_GE(thumbnails, 150);
}

}  // namespace
}  // namespace tavrin::shell
