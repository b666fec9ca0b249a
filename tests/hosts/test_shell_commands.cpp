// The commands that play the file manager, run in-process against the built shell object.

#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <sstream>

#include "hosts/tavrin/commands.hpp"
#include "platform/registry/registry.hpp"
#include "platform/system/files.hpp"
#include "resources/dialog_ids.hpp"
#include "tests/fixtures/fixture_writer.hpp"
#include "tests/support/registered_host.hpp"
#include "tests/support/samples.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin::host {
namespace {

using namespace fixtures;

using ShellCommands = test::RegisteredHost;

// Runs in the folder for its lifetime.
class InFolder {
  public:
    explicit InFolder(const std::filesystem::path& dir)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~InFolder() { std::filesystem::current_path(previous_); }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

  private:
    std::filesystem::path previous_;
};

// A PNG file's pixels as rows of red, green and blue.
struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
    std::uint32_t at(int x, int y) const {
        const std::uint8_t* p = &rgb[3 * (static_cast<std::size_t>(y) * width + x)];
        return static_cast<std::uint32_t>(p[0] << 16 | p[1] << 8 | p[2]);
    }
};
Picture readPng(const std::filesystem::path& file) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Picture picture;
    if (!png_image_begin_read_from_file(&image, file.c_str())) return picture;
    image.format = PNG_FORMAT_RGB;
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr)) return {};
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    return picture;
}

TEST_F(ShellCommands, thumbnailGoesOnWhenTheSettingsFileCannotBeRead) {
    const auto picture = root() / "x.jpg";
    writeFile(picture, jpeg(64, 48));
    const auto settings = userDir() / "HKEY_CURRENT_USER.reg";
    std::filesystem::create_directories(settings);
    const auto png = root() / "out.png";
    EXPECT_EQ(run({"thumbnail", "-s", "32", picture.c_str(), png.c_str()}), 0) << err_;
    EXPECT_TRUE(std::filesystem::exists(png));

    std::filesystem::remove_all(settings);
    std::filesystem::create_symlink("/proc/self/mem", settings);
    std::filesystem::remove(png);
    EXPECT_EQ(run({"thumbnail", "-s", "32", picture.c_str(), png.c_str()}), 0) << err_;
    EXPECT_TRUE(std::filesystem::exists(png));
    EXPECT_EQ(run({"tip", picture.c_str()}), 0) << err_;
}

TEST_F(ShellCommands, imageinfoAsksTheRegisteredObjectForItsRecord) {
    const Fields f;
    writeFile(root() / "a.jpg", jpegWithExif(tiff({Ifd{{f.text(272, "Mod\xE9")}}}), jpeg(64, 48)));
    const InFolder here(root());
    ASSERT_EQ(run({"imageinfo", "a.jpg", "a.jpg"}), 0) << err_;
    const std::string record =
        "filePath: " + (root() / "a.jpg").string() + "\nresult: 0x00000000\n";
    ASSERT_EQ(out_.rfind(record, 0), 0u) << out_;
    // Texts are the file's own bytes; the second record follows after an empty line.
    EXPECT_NE(out_.find("\nmodel: Mod\xE9\n"), std::string::npos) << out_;
    EXPECT_NE(out_.find("\n\n" + record), std::string::npos) << out_;

    ASSERT_EQ(run({"unregister"}), 0) << err_;
    EXPECT_EQ(run({"imageinfo", "a.jpg"}), 1);
    EXPECT_EQ(out_, "");
    EXPECT_EQ(err_, "tavrin: the shell object is not registered (run tavrin register)\n");
}

TEST_F(ShellCommands, infoPrintsWindows1252TextsAsUtf8) {
    const Fields f;
    const auto picture = root() / "latin.jpg";
    writeFile(picture, jpegWithExif(tiff({Ifd{{f.text(272, "Mod\xE9")}}}), jpeg(64, 48)));
    EXPECT_EQ(run({"info", picture.c_str()}), 0) << err_;
    EXPECT_NE(out_.find("Kameramodell: Mod\xC3\xA9\nTyp: JPG Bild\n"), std::string::npos) << out_;
}

TEST_F(ShellCommands, pathsReachTheObjectInFullAndTheHistogramStaysInItsBox) {
    writeFile(root() / "x.jpg", jpeg(366, 300));  // a gradient: every level, the curves run high
    const auto log = root() / "tavrin.log";
    registry::setValue(registry::Root::CurrentUser, "Software\\Tavrin Software\\Tavrin Plus\\Log",
                       "On", std::uint32_t{1});
    registry::setValue(registry::Root::CurrentUser, "Software\\Tavrin Software\\Tavrin Plus\\Log",
                       "FileName", log.string());
    const InFolder here(root());
    ASSERT_EQ(run({"histogram", "./x.jpg", "out.png"}), 0) << err_;
    EXPECT_NE(
        files::readText(log).value_or("").find("embeded image for " + (root() / "x.jpg").string()),
        std::string::npos);

    const Picture page = readPng(root() / "out.png");
    ASSERT_GT(page.height, 310);
    constexpr std::uint32_t dialog = 0xF0F0F0;
    // The JPEG is drawn as one (the type comes from the full path), not handed to the engine.
    EXPECT_NE(page.at(resources::kPreviewWidth / 2, resources::kPreviewHeight / 2), dialog);
    // No curve above the histogram's box: the rows between preview and box are empty, and no
    // pure curve colour stands in the preview.
    for (int y = 0; y < 310; ++y) {
        for (int x = 0; x < page.width; ++x) {
            const std::uint32_t c = page.at(x, y);
            ASSERT_TRUE(c != 0xFF0000 && c != 0x00FF00 && c != 0x0000FF) << x << "," << y;
            if (y >= resources::kPreviewHeight) {
                ASSERT_EQ(c, dialog) << x << "," << y;
            }
        }
    }

    ASSERT_EQ(run({"columns", "./x.jpg"}), 0) << err_;
    EXPECT_NE(out_.find("\n./x.jpg\t"), std::string::npos) << out_;  // named as typed
}

TEST_F(ShellCommands, aRealJpegNamedRelativelyGetsItsHistogram) {
    const auto sample = test::sample("digicam_corpus/Kodak/DC210/DCP15614.JPG");
    TAVRIN_REQUIRE_SAMPLE(sample);
    const InFolder here(sample.parent_path());
    const auto out = root() / "out.png";
    ASSERT_EQ(run({"histogram", "./DCP15614.JPG", out.c_str()}), 0) << err_;
    const Picture page = readPng(out);
    ASSERT_GT(page.height, 310);
    EXPECT_NE(page.at(resources::kPreviewWidth / 2, resources::kPreviewHeight / 2), 0xF0F0F0u);
}

}  // namespace
}  // namespace tavrin::host
