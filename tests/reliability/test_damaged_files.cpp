// Every sample file, cut and with flipped bits (a fixed set per file): the image info reader,
// the engine's identification and half-size decode, and the thumbnail path of the shell object
// each end with a picture or a clean failure.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>

#include "engine_settings/decode_settings.hpp"
#include "platform/system/files.hpp"
#include "rawengine/loader_exception.hpp"
#include "rawengine/raw_engine.hpp"
#include "shellext/info/image_info_reader.hpp"
#include "tests/fixtures/sample_files.hpp"
#include "tests/support/samples.hpp"
#include "tests/support/shell_object.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin {
namespace {

using namespace com;

constexpr std::uintmax_t kLargestSample = 4 << 20;

// Cuts inside the header, the directories and the data, and three sets of flipped bytes.
std::vector<std::vector<std::uint8_t>> damagedCopies(const std::vector<std::uint8_t>& whole,
                                                     std::mt19937& random) {
    std::vector<std::vector<std::uint8_t>> copies;
    for (const std::size_t cut :
         {std::size_t{7}, std::size_t{33}, std::size_t{700}, whole.size() / 3, whole.size() - 1}) {
        if (cut < whole.size())
            copies.emplace_back(whole.begin(), whole.begin() + static_cast<long>(cut));
    }
    for (int round = 0; round < 3; ++round) {
        auto flipped = whole;
        const std::size_t head = std::min<std::size_t>(flipped.size(), 4096);
        for (int i = 0; i < 12 && head > 0; ++i) {
            // Mostly in the first 4 KB, where the structures are.
            const std::size_t at = i % 3 == 0 ? random() % flipped.size() : random() % head;
            flipped[at] ^= static_cast<std::uint8_t>(1u << (random() % 8));
        }
        copies.push_back(std::move(flipped));
    }
    return copies;
}

class DamagedFiles : public test::TempRegistry {
  protected:
    // Writes the bytes under the name's extension and checks that the info reader, the engine
    // and the shell object's thumbnail each end with a picture or a clean failure.
    void expectCleanEnd(const test::RegisteredShellObject& shell,
                        const std::vector<std::uint8_t>& bytes, const std::filesystem::path& name) {
        const auto path = root() / ("damaged" + name.extension().string());
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));

        shell::ImageInfo info;
        info.filePath = path.string();
        const HRESULT r = shell::ReadImageInfo(info, true);
        EXPECT_EQ(SUCCEEDED(r), info.previewData != nullptr) << name;

        raw::RawEngine engine;
        int w = -1, h = -1;
        ASSERT_EQ(engine.OpenAndIdentify(path, &w, &h, nullptr, nullptr, nullptr, false), S_OK);
        try {
            const HRESULT decoded =
                engine.OpenImageFile(path, nullptr, true, true, raw::kWhiteBalanceFromSettings,
                                     engine_settings::decodeOptionsFor(path.string()));
            EXPECT_TRUE(FAILED(decoded) || engine.state().image) << name;
        } catch (const raw::CImageLoaderException&) {
            // out of memory for a claimed size, or a code table beyond its pool: a clean failure
        }

        const auto thumb = shell.thumbnail(path, 128, IEIFLAG_ORIGSIZE);
        EXPECT_EQ(SUCCEEDED(thumb.result), static_cast<bool>(thumb.bitmap)) << name;
    }
};

TEST_F(DamagedFiles, everyReaderEndsCleanly) {
    const auto dir = test::samplesDir();
    if (!std::filesystem::exists(dir)) GTEST_SKIP() << "sample folder missing: " << dir;
    const test::RegisteredShellObject shell;
    ASSERT_TRUE(shell.ok());

    std::mt19937 random(20261207);
    int inputs = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        if (!entry.is_regular_file() || entry.file_size() > kLargestSample ||
            entry.path().extension() == ".md")
            continue;
        const auto whole = files::readBytes(entry.path());
        ASSERT_TRUE(whole);
        for (const auto& bytes : damagedCopies(*whole, random)) {
            expectCleanEnd(shell, bytes, entry.path());
            ++inputs;
        }
    }
    EXPECT_GE(inputs, 1000);
}

// No sample holds Foveon image data: the fixture writer's coded X3F file stands in.
TEST_F(DamagedFiles, aCodedFoveonFileEndsCleanly) {
    const test::RegisteredShellObject shell;
    ASSERT_TRUE(shell.ok());
    const auto written = fixtures::writeSampleFiles(root() / "fixtures");
    const auto x3f = std::find_if(written.begin(), written.end(),
                                  [](const auto& p) { return p.extension() == ".X3F"; });
    ASSERT_NE(x3f, written.end());
    const auto whole = files::readBytes(*x3f);
    ASSERT_TRUE(whole);
    std::mt19937 random(20261207);
    for (int round = 0; round < 4; ++round) {
        for (const auto& bytes : damagedCopies(*whole, random))
            expectCleanEnd(shell, bytes, *x3f);
    }
}

// The sample CR3 holds no picture: the fixture writer's CR3 with a real preview stands in, with
// copies whose boxes claim sizes past their parent and the file, or none at all.
TEST_F(DamagedFiles, aCr3WithAPreviewEndsCleanly) {
    const test::RegisteredShellObject shell;
    ASSERT_TRUE(shell.ok());
    const auto whole = fixtures::cr3WithPreview(fixtures::jpeg(64, 48));
    const std::filesystem::path name = "IMG_0001.CR3";
    std::mt19937 random(20261207);
    for (int round = 0; round < 4; ++round) {
        for (const auto& bytes : damagedCopies(whole, random))
            expectCleanEnd(shell, bytes, name);
    }
    // Every box size of the file (the first 4 KB) set to 0, 1, 7 and past the end in turn.
    for (std::size_t at = 0; at + 8 <= std::min<std::size_t>(whole.size(), 4096); ++at) {
        if (std::string_view(reinterpret_cast<const char*>(&whole[at + 4]), 4) != "moov" &&
            std::string_view(reinterpret_cast<const char*>(&whole[at + 4]), 4) != "uuid" &&
            std::string_view(reinterpret_cast<const char*>(&whole[at + 4]), 3) != "CMT")
            continue;
        for (const std::uint8_t size : {0, 1, 7, 0xFF}) {
            auto bytes = whole;
            std::fill_n(bytes.begin() + static_cast<long>(at), 3, size == 0xFF ? 0x7F : 0);
            bytes[at + 3] = size;
            expectCleanEnd(shell, bytes, name);
        }
    }
}

}  // namespace
}  // namespace tavrin
