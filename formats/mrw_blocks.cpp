#include "formats/mrw_blocks.hpp"

namespace tavrin::formats {

std::uint64_t walkMrwBlocks(FileReader& f, const std::function<void(const MrwBlock&)>& visit) {
    f.setOrder(kBigEndian);
    f.seek(4);
    const std::uint64_t end = static_cast<std::uint64_t>(f.readU32()) + 8;
    while (f.tell() < end && f.tell() + 8 <= f.size()) {
        MrwBlock block;
        block.tag = f.readU32();
        block.length = f.readU32();
        block.data = f.tell();
        visit(block);
        f.setOrder(kBigEndian);
        f.seek(block.data + block.length);
    }
    return end;
}

}  // namespace tavrin::formats
