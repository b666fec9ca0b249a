// The marker chain of a JPEG file: EXIF or CIFF data in its segments tells the camera.

#include "formats/jpeg_markers.hpp"

#include <cstring>

#include "rawengine/parsers/parse_context.hpp"

namespace tavrin::raw {

void parseJpegMarkers(ParseContext& ctx, std::uint64_t offset) {
    formats::FileReader& f = ctx.file;
    const std::uint16_t order = f.order();
    const bool isJpeg = formats::walkJpegMarkers(f, offset, [&](const formats::JpegSegment& seg) {
        // A restart, a second SOI or what follows them is no header.
        if (seg.marker >= 0xD0 && seg.marker <= 0xDF) return false;
        const std::uint64_t start = seg.payload;
        const std::uint64_t next = start + seg.length;
        const int a = f.get(), b = f.get();
        f.setOrder(static_cast<std::uint16_t>((a & 0xFF) << 8 | (b & 0xFF)));
        const std::uint32_t headerLength = f.readU32();
        char tag[4] = {};
        f.read(tag, 4);
        if (std::memcmp(tag, "HEAP", 4) == 0 && next > start + headerLength) {
            parseCiff(ctx, start + headerLength, next - start - headerLength);
        }
        parseTiff(ctx, start + 6);
        f.setOrder(order);
        return true;
    });
    f.setOrder(order);
    if (isJpeg) ctx.s.id.model += " JPEG";
}

}  // namespace tavrin::raw
