// Fuji's RAF directory: the white-balance words.

#include "rawengine/parsers/parse_context.hpp"

namespace tavrin::raw {

void parseFuji(ParseContext& ctx, std::uint64_t offset) {
    formats::FileReader& f = ctx.file;
    f.setOrder(formats::kBigEndian);
    f.seek(offset);
    const std::uint32_t entries = f.ReadU32();
    if (entries < 1 || entries > 60) return;
    for (std::uint32_t e = 0; e < entries && !f.atEnd(); ++e) {
        const unsigned tag = f.ReadU16();
        const unsigned length = f.ReadU16();
        const std::uint64_t next = f.tell() + length;
        if (tag == 0x2FF0) {
            static constexpr int kTarget[] = {1, 0, 3, 2};
            for (int c : kTarget)
                ctx.s.colour.cameraMultipliers[c] = f.ReadU16();
        }
        f.seek(next);
    }
}

}  // namespace tavrin::raw
