// Leaf's "PKTS" packets, searched recursively for the neutral values of the white balance.

#include <cstdio>

#include "formats/leaf_packets.hpp"
#include "rawengine/parsers/parse_context.hpp"

namespace tavrin::raw {

void parseLeaf(ParseContext& ctx, std::uint64_t offset) {
    formats::FileReader& f = ctx.file;
    formats::walkLeafPackets(
        f, offset, ctx.nesting, ctx.budget, [&](const formats::LeafPacket& packet) {
            if (packet.name != "NeutObj_neutrals" || packet.size >= 256) return;
            char text[256] = {};
            f.read(text, packet.size);
            int neutral[4];
            if (std::sscanf(text, "%d %d %d %d", &neutral[0], &neutral[1], &neutral[2],
                            &neutral[3]) == 4 &&
                neutral[1] && neutral[3]) {
                ctx.s.colour.cameraMultipliers[0] = static_cast<float>(neutral[2]) / neutral[1];
                ctx.s.colour.cameraMultipliers[2] = static_cast<float>(neutral[2]) / neutral[3];
            }
        });
}

}  // namespace tavrin::raw
