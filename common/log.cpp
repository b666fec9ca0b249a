#include "common/log.hpp"

#include <cstdio>

#include "common/settings.hpp"
#include "common/settings_names.hpp"
#include "platform/system/paths.hpp"

namespace tavrin {

std::string formatLogLine(const std::tm& utc, std::string_view text) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "[%02d-%02d-%04d %02d:%02d:%02d] ", utc.tm_mday,
                  utc.tm_mon + 1, utc.tm_year + 1900, utc.tm_hour, utc.tm_min, utc.tm_sec);
    std::string line(stamp);
    line += text;
    line += '\n';
    return line;
}

void logLine(std::string_view text) {
    using namespace settings;
    if (getUserSetting(kLog, kLogOn.name, kLogOn.defaultValue) != 1) return;
    const auto name =
        paths::nativePath(getUserStringSetting(kLog, kLogFileName.name, kLogFileName.defaultValue));
    std::FILE* file = std::fopen(name.c_str(), "a+");
    if (!file) return;
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    const std::string line = formatLogLine(utc, text);
    std::fwrite(line.data(), 1, line.size(), file);
    std::fclose(file);
}

}  // namespace tavrin
