#pragma once
// The diagnostic trace: one time-stamped line per event, appended to the file named in the
// settings when "On" of "Log" is exactly 1. Never fails visibly.

#include <ctime>
#include <string>
#include <string_view>

namespace tavrin {

void logLine(std::string_view text);

// "[dd-mm-yyyy hh:mm:ss] text\n" of a broken-down UTC time.
std::string formatLogLine(const std::tm& utc, std::string_view text);

}  // namespace tavrin
