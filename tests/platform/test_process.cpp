#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/system/process.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin::process {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLine, splitsLikeTheWindowsRuntime) {
    EXPECT_EQ(splitCommandLine(""), Args{});
    EXPECT_EQ(splitCommandLine("  a  b\t"), (Args{"a", "b"}));
    EXPECT_EQ(splitCommandLine("\"C:\\My Pictures\\x.NEF\""), (Args{"C:\\My Pictures\\x.NEF"}));
    EXPECT_EQ(splitCommandLine(" -s \"a b\" \"c\""), (Args{"-s", "a b", "c"}));
    EXPECT_EQ(splitCommandLine("a\\\\\"b c\""),
              (Args{"a\\b c"}));                            // 2 backslashes: 1, quote groups
    EXPECT_EQ(splitCommandLine("a\\\"b"), (Args{"a\"b"}));  // 1 backslash: literal quote
    EXPECT_EQ(splitCommandLine("a\\b\\\\c"), (Args{"a\\b\\\\c"}));  // not before a quote: as is
    EXPECT_EQ(splitCommandLine("\"\""), (Args{""}));
    EXPECT_EQ(splitCommandLine("\"say \"\"hi\"\"\""), (Args{"say \"hi\""}));
}

TEST(CommandLine, aQuotedArgumentSplitsBackByteForByte) {
    const std::string arguments[] = {"",
                                     "plain",
                                     "two words",
                                     "say \"hi\"",
                                     "\"",
                                     "\\",
                                     "ends with\\",
                                     "ends with two\\\\",
                                     "a\\\"b",
                                     "a\\\\\"b c",
                                     "C:\\My Pictures\\x.NEF",
                                     "tab\tand\nline",
                                     "M\xC3\xBCller Caf\xE9 \xFF",
                                     "-s"};
    std::string line = "-s";
    for (const std::string& a : arguments) {
        EXPECT_EQ(splitCommandLine(quoteArgument(a)), Args{a}) << quoteArgument(a);
        line += ' ';
        line += quoteArgument(a);
    }
    Args expected{"-s"};
    expected.insert(expected.end(), std::begin(arguments), std::end(arguments));
    EXPECT_EQ(splitCommandLine(line), expected);
}

TEST(StartProgram, startsWithoutAShellAndReportsWhatCannotStart) {
    test::TempDir dir;
    const auto target = dir.path() / "file with $HOME; and spaces";
    ASSERT_TRUE(startProgram("/usr/bin/touch", quoteArgument(target.string())));
    for (int i = 0; i < 200 && !std::filesystem::exists(target); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(std::filesystem::exists(target));
    EXPECT_FALSE(startProgram((dir.path() / "no-such-program").string(), "x"));
}

}  // namespace
}  // namespace tavrin::process
