#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>

#include "hosts/tavrin/commands.hpp"
#include "platform/system/ascii.hpp"
#include "tests/fixtures/fixture_writer.hpp"
#include "tests/support/samples.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin::host {
namespace {

using namespace fixtures;

TEST(IdentifyCommand, printsOneBlockPerFileAndFailsForFilesItCannotOpen) {
    test::TempDir dir;
    const Fields f;
    const auto nef = dir.path() / "DSC_0001.NEF";
    writeFile(nef, tiff({Ifd{{f.text(271, "NIKON"), f.text(272, "D70"),
                              f.directories(330, {Ifd{{f.longs(256, {64}), f.longs(257, {48}),
                                                       f.bytes(33422, {0, 1, 1, 2})}}})}}}));
    const std::vector<std::string_view> args = {"tavrin", "identify", nef.c_str(), "/no/such.CR2"};
    std::ostringstream out, err;
    testing::internal::CaptureStderr();  // the engine tells why on standard error
    EXPECT_EQ(runHost(args, {out, err}), 1);
    const std::string why = testing::internal::GetCapturedStderr();
    const std::string text = out.str();
    for (const char* line :
         {"make: NIKON\n", "model: D70\n", "raw size: 64 x 48\n", "visible size: 64 x 48\n",
          "filter pattern: 0x94949494\n", "colours: 3\n", "white: 4095\n",
          "loader: LoadNikonPackedRaw\n", "supported: yes\n", "colour matrix: none\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << text;
    }
    EXPECT_NE(why.find("/no/such.CR2: No such file or directory"), std::string::npos) << why;

    std::ostringstream out2, err2;
    const std::vector<std::string_view> none = {"tavrin", "identify"};
    EXPECT_EQ(runHost(none, {out2, err2}), 2);
}

// The size of the directory exiftool finds with NewSubfileType 0: "W x H", or nothing.
std::string fullSizeByExiftool(const std::filesystem::path& file) {
    const std::string cmd = "exiftool -a -G1 -n -s -SubfileType -ImageWidth -ImageHeight '" +
                            file.string() + "' 2>/dev/null";
    std::FILE* pipe = ::popen(cmd.c_str(), "r");
    if (!pipe) return {};
    std::map<std::string, std::map<std::string, std::string>> groups;  // [IFD0] tag: value
    std::vector<std::string> order;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        std::istringstream in(line);
        std::string group, tag, colon, value;
        if (!(in >> group >> tag >> colon >> value)) continue;
        if (!groups.count(group)) order.push_back(group);
        groups[group][tag] = value;
    }
    ::pclose(pipe);
    for (const auto& group : order) {
        auto& g = groups[group];
        if (g["SubfileType"] == "0" && g.count("ImageWidth"))
            return g["ImageWidth"] + " x " + g["ImageHeight"];
    }
    return {};
}

TEST(IdentifyCommand, dngSizesAreThoseOfTheRawImage) {
    std::vector<std::filesystem::path> dngs;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(test::samplesDir(), ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        const std::string extension = it->path().extension().string();
        if (ascii::equalsIgnoreCase(extension, ".dng") ||
            ascii::equalsIgnoreCase(extension, ".gpr"))
            dngs.push_back(it->path());
    }
    if (dngs.empty()) GTEST_SKIP() << "no DNG files in " << test::samplesDir();
    if (std::system("exiftool -ver >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "exiftool is not installed";
    for (const auto& dng : dngs) {
        const std::string expected = fullSizeByExiftool(dng);
        ASSERT_FALSE(expected.empty()) << dng;
        const std::vector<std::string_view> args = {"tavrin", "identify", dng.c_str()};
        std::ostringstream out, err;
        EXPECT_EQ(runHost(args, {out, err}), 0) << dng << err.str();
        EXPECT_NE(out.str().find("raw size: " + expected + "\n"), std::string::npos)
            << dng << ": " << expected << "\n"
            << out.str();
    }
}

}  // namespace
}  // namespace tavrin::host
