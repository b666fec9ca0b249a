// Leaf's "PKTS" packets, searched recursively for the neutral values of the white balance.

#include <cstdio>
#include <cstring>

#include "rawengine/parsers/parse_context.hpp"
#include "rawengine/raw_limits.hpp"

namespace tavrin::raw {
namespace {

// Eight bytes that begin "PKTS" and a NUL.
bool atPacketMark(formats::FileReader& f) {
    char mark[8];
    return f.read(mark, sizeof mark) == sizeof mark && std::memcmp(mark, "PKTS", 5) == 0;
}

}  // namespace

void parseLeaf(ParseContext& ctx, std::uint64_t offset) {
    formats::FileReader& f = ctx.file;
    if (ctx.nesting >= kMaxNesting || offset >= f.size()) return;
    ++ctx.nesting;
    f.seek(offset);
    while (ctx.spend() && atPacketMark(f)) {
        char name[41] = {};
        f.read(name, 40);
        const std::uint32_t size = f.ReadU32();
        const std::uint64_t content = f.tell();
        if (std::strcmp(name, "NeutObj_neutrals") == 0 && size < 256) {
            char text[256] = {};
            f.read(text, size);
            int neutral[4];
            if (std::sscanf(text, "%d %d %d %d", &neutral[0], &neutral[1], &neutral[2],
                            &neutral[3]) == 4 &&
                neutral[1] && neutral[3]) {
                ctx.s.colour.cameraMultipliers[0] = static_cast<float>(neutral[2]) / neutral[1];
                ctx.s.colour.cameraMultipliers[2] = static_cast<float>(neutral[2]) / neutral[3];
            }
        }
        if (size > 8) parseLeaf(ctx, content);
        f.seek(content + size);
    }
    --ctx.nesting;
}

}  // namespace tavrin::raw
