// Rollei's text header: key=value lines up to "EOHD".

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "rawengine/parsers/parse_context.hpp"

namespace tavrin::raw {
namespace {

constexpr int kMaxLines = 1000;

bool readLine(formats::FileReader& f, std::string& line) {
    line.clear();
    for (int c; (c = f.get()) >= 0;) {
        if (c == '\n') return true;
        if (line.size() < 128) line += static_cast<char>(c);
    }
    return !line.empty();
}

}  // namespace

void parseRollei(ParseContext& ctx) {
    formats::FileReader& f = ctx.file;
    DecodeState& s = ctx.s;
    f.seek(0);
    std::tm t{};
    int thumbWidth = 0, thumbHeight = 0;
    std::string line;
    for (int n = 0; n < kMaxLines && readLine(f, line) && line.compare(0, 4, "EOHD") != 0; ++n) {
        const auto eq = line.find('=');
        if (eq == std::string::npos || eq < 3) continue;
        const std::string key = line.substr(0, 3);
        const char* value = line.c_str() + eq + 1;
        if (key == "DAT") std::sscanf(value, "%d.%d.%d", &t.tm_mday, &t.tm_mon, &t.tm_year);
        if (key == "TIM") std::sscanf(value, "%d:%d:%d", &t.tm_hour, &t.tm_min, &t.tm_sec);
        if (key == "HDR") s.container.dataOffset = std::strtoul(value, nullptr, 10);
        if (key == "X  ") s.geometry.rawWidth = std::atoi(value);
        if (key == "Y  ") s.geometry.rawHeight = std::atoi(value);
        if (key == "TX ") thumbWidth = std::atoi(value);
        if (key == "TY ") thumbHeight = std::atoi(value);
        if (key == "ORI") {
            const int o = std::atoi(value);
            if (o == 0) s.container.rotationDegrees = 0;
            if (o == 3) s.container.rotationDegrees = 270;
        }
    }
    if (t.tm_year > 0) {
        t.tm_year -= 1900;
        t.tm_mon -= 1;
        t.tm_isdst = -1;
        const std::time_t stamp = std::mktime(&t);
        if (stamp > 0) s.container.timestamp = stamp;
    }
    if (thumbWidth > 0 && thumbHeight > 0 && thumbWidth < 65536 && thumbHeight < 65536) {
        s.container.dataOffset += static_cast<std::uint64_t>(thumbWidth) * thumbHeight * 2;
    }
    s.id.make = "Rollei";
    s.id.model = "d530flex";
}

}  // namespace tavrin::raw
