// The commands that play the file manager, run in-process against the built shell object.

#include <gtest/gtest.h>

#include <sstream>

#include "hosts/tavrin/commands.hpp"
#include "tests/fixtures/fixture_writer.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin::host {
namespace {

using namespace fixtures;

class ShellCommands : public test::TempRegistry {
  protected:
    void SetUp() override {
        TempRegistry::SetUp();
        ASSERT_EQ(run({"register"}), 0) << err_;
    }

    int run(std::vector<std::string_view> args) {
        args.insert(args.begin(), "tavrin");
        std::ostringstream out, err;
        const int status = runHost(args, {out, err});
        out_ = out.str();
        err_ = err.str();
        return status;
    }

    std::string out_, err_;
};

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

TEST_F(ShellCommands, infoPrintsWindows1252TextsAsUtf8) {
    const Fields f;
    const auto picture = root() / "latin.jpg";
    writeFile(picture, jpegWithExif(tiff({Ifd{{f.text(272, "Mod\xE9")}}}), jpeg(64, 48)));
    EXPECT_EQ(run({"info", picture.c_str()}), 0) << err_;
    EXPECT_NE(out_.find("Kameramodell: Mod\xC3\xA9\nTyp: JPG Bild\n"), std::string::npos) << out_;
}

}  // namespace
}  // namespace tavrin::host
