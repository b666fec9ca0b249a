#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "hosts/tavrin/commands.hpp"
#include "tests/fixtures/sample_files.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin::host {
namespace {

struct Rgb {
    int r, g, b;
};

// A binary PPM's size and pixels.
std::vector<Rgb> readPpm(const std::filesystem::path& path, int& width, int& height) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    in >> magic >> width >> height >> maxValue;
    in.get();
    EXPECT_EQ(magic, "P6");
    EXPECT_EQ(maxValue, 255);
    std::vector<Rgb> pixels;
    for (int i = 0; i < width * height; ++i) {
        const int r = in.get(), g = in.get(), b = in.get();
        pixels.push_back({r, g, b});
    }
    return pixels;
}

class DecodeCommand : public test::TempRegistry {};

TEST_F(DecodeCommand, anX3fFileOfColourBarsKeepsEachBarsHue) {
    fixtures::writeSampleFiles(root() / "fixtures");
    const auto x3f = root() / "fixtures" / "IMG_0010.X3F";
    ASSERT_TRUE(std::filesystem::exists(x3f));
    const auto out = root() / "bars.ppm";
    const std::vector<std::string_view> args = {"tavrin", "decode", "--half", x3f.c_str(),
                                                out.c_str()};
    std::ostringstream text, err;
    ASSERT_EQ(runHost(args, {text, err}), 0) << err.str();

    int width = 0, height = 0;
    const auto pixels = readPpm(out, width, height);
    // 120 x 80 at full size, turned by the file's 90 degrees: the bars run across, red on top.
    ASSERT_EQ(width, 80);
    ASSERT_EQ(height, 120);
    // Red, green, blue, yellow, cyan, magenta: which channels are lit.
    const bool lit[6][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}, {0, 1, 1}, {1, 0, 1}};
    for (int bar = 0; bar < 6; ++bar) {
        const Rgb p = pixels[static_cast<std::size_t>((bar * 20 + 10) * width + width / 2)];
        const int channel[3] = {p.r, p.g, p.b};
        int darkestLit = 255, brightestUnlit = 0;
        for (int c = 0; c < 3; ++c) {
            if (lit[bar][c]) {
                darkestLit = std::min(darkestLit, channel[c]);
            } else {
                brightestUnlit = std::max(brightestUnlit, channel[c]);
            }
        }
        EXPECT_GT(darkestLit, brightestUnlit + 60)
            << "bar " << bar << ": " << p.r << " " << p.g << " " << p.b;
    }
}

}  // namespace
}  // namespace tavrin::host
