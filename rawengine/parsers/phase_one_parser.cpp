// Phase One's directory of raw geometry and data positions.

#include "rawengine/parsers/parse_context.hpp"
#include "rawengine/raw_limits.hpp"

namespace tavrin::raw {

void parsePhaseOne(ParseContext& ctx, std::uint64_t base) {
    formats::FileReader& f = ctx.file;
    DecodeState& s = ctx.s;
    f.seek(base + 8);
    f.seek(f.ReadU32() + base);
    const std::uint32_t entries = f.ReadU32();
    f.ReadU32();
    for (std::uint32_t e = 0; e < entries && e < 4096 && !f.atEnd(); ++e) {
        const std::uint32_t tag = f.ReadU32();
        f.ReadU32();  // type
        f.ReadU32();  // length
        const std::uint32_t data = f.ReadU32();
        const int value = static_cast<int>(data & 0x7FFFFFFF);
        switch (tag) {
            case 0x108:
                s.geometry.rawWidth = value;
                break;
            case 0x109:
                s.geometry.rawHeight = value;
                break;
            case 0x10A:
                s.geometry.leftMargin = value;
                break;
            case 0x10B:
                s.geometry.topMargin = value;
                break;
            case 0x10C:
                s.geometry.width = value;
                break;
            case 0x10D:
                s.geometry.height = value;
                break;
            case 0x10F:
                s.container.dataOffset = data + base;
                break;
            case 0x112:
                s.container.phaseOneColumnTable = data + base;
                break;
            default:
                break;
        }
    }
    s.id.make = "Phase One";
}

}  // namespace tavrin::raw
