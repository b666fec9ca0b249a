// The marker chain of a JPEG file: EXIF or CIFF data in its segments tells the camera.

#include <cstring>

#include "rawengine/parsers/parse_context.hpp"

namespace tavrin::raw {

void parseJpegMarkers(ParseContext& ctx, std::uint64_t offset) {
    formats::FileReader& f = ctx.file;
    f.seek(offset);
    if (f.get() != 0xFF || f.get() != 0xD8) return;
    for (int segments = 0; segments < 1000 && f.get() == 0xFF; ++segments) {
        const int marker = f.get();
        if (marker < 0 || (marker >= 0xD0 && marker <= 0xDF)) break;
        const std::uint16_t saved = f.order();
        f.setOrder(formats::kBigEndian);
        const std::uint16_t length = f.ReadU16();
        const std::uint64_t start = f.tell();  // just behind the length
        if (length < 2) {                      // cannot be: the walk ends
            f.setOrder(saved);
            break;
        }
        const std::uint64_t next = start + length - 2;
        const int a = f.get(), b = f.get();
        f.setOrder(static_cast<std::uint16_t>((a & 0xFF) << 8 | (b & 0xFF)));
        const std::uint32_t headerLength = f.ReadU32();
        char tag[4];
        f.read(tag, 4);
        if (std::memcmp(tag, "HEAP", 4) == 0 && next > start + headerLength) {
            parseCiff(ctx, start + headerLength, next - start - headerLength);
        }
        parseTiff(ctx, start + 6);
        f.setOrder(saved);
        f.seek(next);
    }
    ctx.s.id.model += " JPEG";
}

}  // namespace tavrin::raw
