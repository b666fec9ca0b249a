// Phase One's directory of raw geometry and data positions.

#include "formats/phase_one_directory.hpp"
#include "rawengine/parsers/parse_context.hpp"

namespace tavrin::raw {

void parsePhaseOne(ParseContext& ctx, std::uint64_t base) {
    DecodeState& s = ctx.s;
    formats::walkPhaseOneDirectory(ctx.file, base, [&](const formats::PhaseOneEntry& entry) {
        const int value = static_cast<int>(entry.data & 0x7FFFFFFF);
        switch (entry.tag) {
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
                s.container.dataOffset = entry.data + base;
                break;
            case 0x112:
                s.container.phaseOneColumnTable = entry.data + base;
                break;
            default:
                break;
        }
    });
    s.id.make = "Phase One";
}

}  // namespace tavrin::raw
