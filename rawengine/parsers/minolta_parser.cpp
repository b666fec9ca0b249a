// Minolta's MRM container: tagged blocks in front of the raw data.

#include "formats/mrw_blocks.hpp"
#include "rawengine/parsers/parse_context.hpp"

namespace tavrin::raw {

void parseMinolta(ParseContext& ctx) {
    formats::FileReader& f = ctx.file;
    DecodeState& s = ctx.s;
    s.container.dataOffset = formats::walkMrwBlocks(f, [&](const formats::MrwBlock& block) {
        switch (block.tag) {
            case formats::kMrwPictureBlock:
                f.skip(8);
                s.geometry.rawHeight = f.readU16();
                s.geometry.rawWidth = f.readU16();
                break;
            case formats::kMrwTiffBlock:
                parseTiff(ctx, block.data);
                break;
            case formats::kMrwWhiteBalanceBlock: {
                f.skip(4);
                const bool a200 = s.id.model.find("A200") != std::string::npos;
                static constexpr int kUsual[] = {0, 1, 3, 2};
                static constexpr int kA200[] = {3, 2, 0, 1};
                for (int c : a200 ? kA200 : kUsual)
                    s.colour.cameraMultipliers[c] = f.readU16();
                break;
            }
            default:
                break;
        }
    });
}

}  // namespace tavrin::raw
