// The companion JPEG some cameras write beside their raw file, whose EXIF data tells the camera.

#include <cctype>
#include <filesystem>

#include "platform/system/ascii.hpp"
#include "rawengine/parsers/parse_context.hpp"

namespace tavrin::raw {

std::string companionName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    const std::string name = path.substr(start);
    if (name.size() != 12 || name[8] != '.') return {};
    std::string companion = path;
    char* base = companion.data() + start;
    if (!ascii::equalsIgnoreCase(name.substr(8), ".jpg")) {
        const bool upper = std::isupper(static_cast<unsigned char>(name[9])) != 0;
        companion.replace(start + 8, 4, upper ? ".JPG" : ".jpg");
        // The two halves of the base name change places.
        for (int i = 0; i < 4; ++i)
            std::swap(base[i], base[i + 4]);
    } else {
        // The number before the extension goes up by one, carrying through '9'.
        for (int i = 7; i >= 0; --i) {
            if (!std::isdigit(static_cast<unsigned char>(base[i]))) break;
            if (base[i] != '9') {
                ++base[i];
                break;
            }
            base[i] = '0';
        }
    }
    return companion;
}

void parseExternal(ParseContext& ctx) {
    const std::string name = companionName(ctx.s.fileName);
    if (name.empty() || name == ctx.s.fileName) return;
    formats::FileReader companion;
    if (companion.open(name)) return;  // no companion: nothing to add
    ParseContext inner{ctx.s, companion, ctx.nesting, ctx.budget};
    parseTiff(inner, 12);
}

}  // namespace tavrin::raw
