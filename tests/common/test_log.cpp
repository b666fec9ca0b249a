#include <gtest/gtest.h>

#include <regex>

#include "common/log.hpp"
#include "common/settings.hpp"
#include "common/settings_names.hpp"
#include "platform/system/files.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin {
namespace {

using namespace settings;

class Log : public test::TempRegistry {
  protected:
    std::filesystem::path logFile() const { return root() / "trace.log"; }
    void switchOn(std::uint32_t on) {
        setUserSetting(kLog, kLogOn.name, on);
        setUserStringSetting(kLog, kLogFileName.name, logFile().string());
    }
};

TEST_F(Log, writesOneStampedLinePerEventWhenOnIsOne) {
    switchOn(1);
    logLine("Tavrin was loaded to open the file /pics/a.CR2");
    logLine("second");
    const auto text = files::readText(logFile());
    ASSERT_TRUE(text);
    EXPECT_TRUE(std::regex_match(
        *text,
        std::regex(
            R"(\[\d\d-\d\d-\d{4} \d\d:\d\d:\d\d\] Tavrin was loaded to open the file /pics/a\.CR2\n)"
            R"(\[\d\d-\d\d-\d{4} \d\d:\d\d:\d\d\] second\n)")))
        << *text;
}

TEST_F(Log, writesNothingUnlessOnIsExactlyOne) {
    switchOn(2);
    logLine("x");
    EXPECT_FALSE(std::filesystem::exists(logFile()));
    switchOn(0);
    logLine("x");
    EXPECT_FALSE(std::filesystem::exists(logFile()));
}

TEST_F(Log, aFileInAMissingFolderIsSilentlySkipped) {
    setUserSetting(kLog, kLogOn.name, 1);
    setUserStringSetting(kLog, kLogFileName.name, (root() / "missing" / "t.log").string());
    logLine("x");
    EXPECT_FALSE(std::filesystem::exists(root() / "missing"));
}

TEST(LogFormat, stampsDayMonthYearAndTimeInUtc) {
    // 23:30 on 31 December in a zone one hour east of UTC is 22:30 UTC the same day; the
    // caller always hands UTC, so the line shows that.
    const std::time_t t = 1767223800;  // 2025-12-31 23:30:00 UTC
    std::tm utc{};
    gmtime_r(&t, &utc);
    EXPECT_EQ(formatLogLine(utc, "text"), "[31-12-2025 23:30:00] text\n");
    const std::time_t early = 1767225600 + 59;  // 2026-01-01 00:00:59 UTC
    gmtime_r(&early, &utc);
    EXPECT_EQ(formatLogLine(utc, ""), "[01-01-2026 00:00:59] \n");
}

}  // namespace
}  // namespace tavrin
