#include <gtest/gtest.h>

#include <sstream>

#include "hosts/tavrin/commands.hpp"
#include "tests/fixtures/fixture_writer.hpp"
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
          "loader: LoadNikonPackedRaw\n", "supported: yes\n", "colour matrix: no\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << text;
    }
    EXPECT_NE(why.find("/no/such.CR2: No such file or directory"), std::string::npos) << why;

    std::ostringstream out2, err2;
    const std::vector<std::string_view> none = {"tavrin", "identify"};
    EXPECT_EQ(runHost(none, {out2, err2}), 2);
}

}  // namespace
}  // namespace tavrin::host
