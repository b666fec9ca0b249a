#include <cstdio>
#include <ctime>

#include "rawengine/parsers/parse_context.hpp"

namespace tavrin::raw {

std::string readText(formats::FileReader& file, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count && i <= kMaxNameLength; ++i) {
        const int c = file.get();
        if (c <= 0) break;
        if (text.size() < kMaxNameLength) text += static_cast<char>(c);
    }
    return text;
}

std::uint32_t readTiffValue(formats::FileReader& file, unsigned type) {
    return type == 3 ? file.readU16() : file.readU32();
}

double readRational(formats::FileReader& file) {
    const auto num = static_cast<std::int32_t>(file.readU32());
    const auto den = static_cast<std::int32_t>(file.readU32());
    return den == 0 ? 0.0 : static_cast<double>(num) / den;
}

void readTimestamp(ParseContext& ctx, bool reversed) {
    char text[20] = {};
    for (int i = 0; i < 19; ++i) {
        const int c = ctx.file.get();
        text[reversed ? 18 - i : i] = static_cast<char>(c < 0 ? 0 : c);
    }
    std::tm t{};
    if (std::sscanf(text, "%d:%d:%d %d:%d:%d", &t.tm_year, &t.tm_mon, &t.tm_mday, &t.tm_hour,
                    &t.tm_min, &t.tm_sec) != 6) {
        return;
    }
    t.tm_year -= 1900;
    t.tm_mon -= 1;
    t.tm_isdst = -1;
    const std::time_t stamp = std::mktime(&t);
    if (stamp > 0) ctx.s.container.timestamp = stamp;
}

}  // namespace tavrin::raw
