#include <gtest/gtest.h>

#include "platform/registry/reg_file.hpp"

namespace tavrin::registry {
namespace {

constexpr std::string_view kUser = "HKEY_CURRENT_USER";

TEST(RegFile, roundTripsTextsDwordsDefaultsAndForeignValues) {
    Key root{std::string(kUser)};
    Key& viewer = root.create("Software\\Tavrin Software\\Tavrin Plus\\Viewer");
    viewer.setValue("BrightnessIndex", std::string("-3"));
    viewer.setValue("Use", std::uint32_t{0xFFFFFFFF});
    viewer.setValue("", std::string("C:\\Program \"Files\"\\x\nsecond line"));
    viewer.setValue("Bin", RawValue{"hex:01,02,ff"});
    root.create("Software\\Empty");

    const auto parsed = parseRegFile(formatRegFile(root, kUser), kUser);
    EXPECT_TRUE(parsed.problems.empty());
    const Key* v = parsed.root.find("software\\TAVRIN SOFTWARE\\tavrin plus\\viewer");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(std::get<std::string>(v->value("brightnessindex")->data), "-3");
    EXPECT_EQ(std::get<std::uint32_t>(v->value("USE")->data), 0xFFFFFFFFu);
    EXPECT_EQ(std::get<std::string>(v->value("")->data), "C:\\Program \"Files\"\\x\nsecond line");
    EXPECT_EQ(std::get<RawValue>(v->value("Bin")->data).text, "hex:01,02,ff");
    EXPECT_NE(parsed.root.find("Software\\Empty"), nullptr);
}

TEST(RegFile, readsWhatParsesAndReportsEachBadLine) {
    const std::string text =
        "REGEDIT4\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\A]\r\n"
        "\"Good\"=dword:0000002a\r\n"
        "\"BadDword\"=dword:xyz\r\n"
        "\"Unterminated=\"x\"\r\n"
        "garbage line\r\n"
        "[HKEY_LOCAL_MACHINE\\Elsewhere]\r\n"
        "\"Lost\"=\"x\"\r\n"
        "[HKEY_CURRENT_USER\\B\r\n"
        "[HKEY_CURRENT_USER\\A\\C]\r\n"
        "@=\"d\"\r\n"
        "\"Long\"=hex:01,02,\\\r\n"
        "  03,04\r\n";
    const auto parsed = parseRegFile(text, kUser);
    EXPECT_EQ(parsed.problems.size(), 6u);
    const Key* a = parsed.root.find("A");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(std::get<std::uint32_t>(a->value("Good")->data), 42u);
    EXPECT_EQ(a->value("BadDword"), nullptr);
    const Key* c = parsed.root.find("A\\C");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(std::get<std::string>(c->value("")->data), "d");
    EXPECT_EQ(std::get<RawValue>(c->value("Long")->data).text, "hex:01,02,03,04");
}

TEST(RegFile, survivesBinaryGarbageAndEmptyInput) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 7919) & 0xFF);
    garbage += "[HKEY_CURRENT_USER";  // unterminated at the very end
    // Nothing in it is a section or a value: every line is skipped and reported.
    const auto parsed = parseRegFile(garbage, kUser);
    EXPECT_TRUE(parsed.root.children().empty());
    EXPECT_TRUE(parsed.root.values().empty());
    EXPECT_FALSE(parsed.problems.empty());
    EXPECT_TRUE(parseRegFile("", kUser).root.children().empty());
    EXPECT_TRUE(parseRegFile("\"x\"=\"", kUser).root.children().empty());
}

TEST(Hive, namesCompareWithoutCaseAndKeepTheirFirstSpelling) {
    Key root{"r"};
    root.create("Software\\.CR2").setValue("ViewMode", std::uint32_t{1});
    root.create("software\\.cr2").setValue("VIEWMODE", std::uint32_t{2});
    ASSERT_EQ(root.children().size(), 1u);
    const Key* key = root.find("SOFTWARE\\.Cr2");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->name(), ".CR2");
    ASSERT_EQ(key->values().size(), 1u);
    EXPECT_EQ(key->values()[0].name, "ViewMode");
    EXPECT_EQ(std::get<std::uint32_t>(key->values()[0].data), 2u);
    EXPECT_TRUE(root.remove("software"));
    EXPECT_EQ(root.find("Software\\.CR2"), nullptr);
    EXPECT_FALSE(root.remove("software"));
}

}  // namespace
}  // namespace tavrin::registry
