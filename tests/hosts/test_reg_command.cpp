#include <gtest/gtest.h>

#include <sstream>

#include "hosts/tavrin/commands.hpp"
#include "platform/registry/registry.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin::host {
namespace {

struct Outcome {
    int code;
    std::string out;
    std::string err;
};

class RegCommand : public test::TempRegistry {
  protected:
    Outcome reg(std::vector<std::string_view> args) {
        args.insert(args.begin(), {"tavrin", "reg"});
        std::ostringstream out, err;
        const int code = runHost(args, {out, err});
        return {code, out.str(), err.str()};
    }
};

TEST_F(RegCommand, addsQueriesAndDeletesValuesAsRegDoes) {
    const std::string_view key = "HKCU\\Software\\Tavrin Software\\Tavrin Plus\\Viewer";
    EXPECT_EQ(reg({"add", key, "/v", "Use", "/t", "REG_DWORD", "/d", "0x10"}).code, 0);
    EXPECT_EQ(reg({"add", key, "/v", "BrightnessIndex", "/d", "-3"}).code, 0);
    EXPECT_EQ(reg({"add", key, "/ve", "/d", "text"}).code, 0);
    EXPECT_EQ(registry::queryDword(registry::Root::CurrentUser,
                                   "Software\\Tavrin Software\\Tavrin Plus\\Viewer", "Use"),
              16u);

    const Outcome all = reg({"query", key});
    EXPECT_EQ(all.code, 0);
    EXPECT_EQ(all.out,
              "\nHKEY_CURRENT_USER\\Software\\Tavrin Software\\Tavrin Plus\\Viewer\n"
              "    Use    REG_DWORD    0x10\n"
              "    BrightnessIndex    REG_SZ    -3\n"
              "    (Default)    REG_SZ    text\n");
    const Outcome one =
        reg({"query", "hkcu\\software\\tavrin software\\tavrin plus\\viewer", "/v", "use"});
    EXPECT_NE(one.out.find("    Use    REG_DWORD    0x10\n"), std::string::npos);

    // An existing value is kept unless /f is given.
    EXPECT_EQ(reg({"add", key, "/v", "Use", "/t", "REG_DWORD", "/d", "1"}).code, 1);
    EXPECT_EQ(reg({"add", key, "/v", "Use", "/t", "REG_DWORD", "/d", "1", "/f"}).code, 0);

    EXPECT_EQ(reg({"delete", key, "/v", "Use", "/f"}).code, 0);
    EXPECT_EQ(reg({"query", key, "/v", "Use"}).code, 1);
    EXPECT_EQ(reg({"delete", "HKCU\\Software", "/f"}).code, 0);
    const Outcome gone = reg({"query", key});
    EXPECT_EQ(gone.code, 1);
    EXPECT_NE(gone.err.find("unable to find"), std::string::npos);
}

TEST_F(RegCommand, listsSubkeysAndRecursesWithS) {
    reg({"add", "HKCR\\.cr2", "/ve", "/d", "TavrinImage"});
    reg({"add", "HKCR\\TavrinImage\\App", "/ve", "/d", "/usr/bin/TavrinViewer"});
    const Outcome top = reg({"query", "HKCR"});
    EXPECT_NE(top.out.find("HKEY_CLASSES_ROOT\\.cr2\n"), std::string::npos);
    EXPECT_EQ(top.out.find("TavrinViewer"), std::string::npos);
    const Outcome deep = reg({"query", "HKCR", "/s"});
    EXPECT_NE(deep.out.find("HKEY_CLASSES_ROOT\\TavrinImage\\App\n    (Default)    REG_SZ    "
                            "/usr/bin/TavrinViewer\n"),
              std::string::npos);
}

TEST_F(RegCommand, refusesBadArgumentsWithAMessage) {
    EXPECT_EQ(reg({}).code, 2);
    EXPECT_EQ(reg({"query", "HKLM\\Software"}).code, 2);
    EXPECT_EQ(reg({"frobnicate", "HKCU"}).code, 2);
    EXPECT_EQ(reg({"add", "HKCU\\A", "/v", "X", "/t", "REG_DWORD", "/d", "ten"}).code, 1);
    EXPECT_EQ(reg({"add", "HKCU\\A", "/v", "X", "/t", "REG_BINARY", "/d", "00"}).code, 1);
    EXPECT_EQ(reg({"add", "HKCU\\A", "/bogus"}).code, 2);
    const Outcome noForce = reg({"delete", "HKCU\\A"});  // nobody to ask in a test
    EXPECT_EQ(noForce.code, 1);
    EXPECT_EQ(reg({"delete", "HKCU", "/f"}).code, 1);  // never the whole root
    EXPECT_FALSE(reg({"--help"}).out.empty());
}

}  // namespace
}  // namespace tavrin::host
