// Minolta's MRM container: tagged blocks in front of the raw data.

#include "rawengine/parsers/parse_context.hpp"

namespace tavrin::raw {

void parseMinolta(ParseContext& ctx) {
    formats::FileReader& f = ctx.file;
    DecodeState& s = ctx.s;
    f.setOrder(formats::kBigEndian);
    f.seek(4);
    const std::uint64_t end = static_cast<std::uint64_t>(f.ReadU32()) + 8;
    while (f.tell() < end && f.tell() + 8 <= f.size()) {
        const std::uint32_t tag = f.ReadU32();
        const std::uint32_t length = f.ReadU32();
        const std::uint64_t next = f.tell() + length;
        switch (tag) {
            case 0x00505244:  // "\0PRD"
                f.skip(8);
                s.geometry.rawHeight = f.ReadU16();
                s.geometry.rawWidth = f.ReadU16();
                break;
            case 0x00545457: {  // "\0TTW"
                const std::uint16_t order = f.order();
                parseTiff(ctx, f.tell());
                f.setOrder(order);
                break;
            }
            case 0x00574247: {  // "\0WBG"
                f.skip(4);
                const bool a200 = s.id.model.find("A200") != std::string::npos;
                static constexpr int kUsual[] = {0, 1, 3, 2};
                static constexpr int kA200[] = {3, 2, 0, 1};
                for (int c : a200 ? kA200 : kUsual)
                    s.colour.cameraMultipliers[c] = f.ReadU16();
                break;
            }
            default:
                break;
        }
        f.seek(next);
    }
    s.container.dataOffset = end;
}

}  // namespace tavrin::raw
