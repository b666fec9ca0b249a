// Fuji's RAF file: the white-balance words of its directory, the TIFF data of the camera's JPEG
// and where the raw data lie.

#include "formats/raf_header.hpp"
#include "rawengine/parsers/parse_context.hpp"

namespace tavrin::raw {

void parseFuji(ParseContext& ctx) {
    formats::FileReader& f = ctx.file;
    const formats::RafHeader header = formats::readRafHeader(f);
    formats::walkRafDirectory(f, header.directoryOffset, [&](const formats::RafEntry& entry) {
        if (entry.tag != formats::kRafWhiteBalanceTag) return;
        static constexpr int kTarget[] = {1, 0, 3, 2};
        for (int c : kTarget)
            ctx.s.colour.cameraMultipliers[c] = f.readU16();
    });
    f.setOrder(formats::kBigEndian);
    parseTiff(ctx, static_cast<std::uint64_t>(header.jpegOffset) + 12);
    f.setOrder(formats::kBigEndian);
    ctx.s.container.dataOffset = header.rawOffset;
}

}  // namespace tavrin::raw
