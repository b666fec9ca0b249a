// Rollei's text header: key=value lines up to "EOHD".

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "formats/rollei_header.hpp"
#include "rawengine/parsers/parse_context.hpp"

namespace tavrin::raw {

void parseRollei(ParseContext& ctx) {
    DecodeState& s = ctx.s;
    std::tm t{};
    int thumbWidth = 0, thumbHeight = 0;
    formats::walkRolleiHeader(ctx.file, [&](const std::string& name, const std::string& text) {
        if (name.size() < 3) return;
        const std::string key = name.substr(0, 3);
        const char* value = text.c_str();
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
    });
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
