#include "formats/raf_header.hpp"

#include "formats/container_limits.hpp"

namespace tavrin::formats {

RafHeader readRafHeader(FileReader& f) {
    f.setOrder(kBigEndian);
    RafHeader header;
    f.seek(84);
    header.jpegOffset = f.readU32();
    header.jpegLength = f.readU32();
    header.directoryOffset = f.readU32();
    f.seek(100);
    header.rawOffset = f.readU32();
    return header;
}

void walkRafDirectory(FileReader& f, std::uint64_t offset,
                      const std::function<void(const RafEntry&)>& visit) {
    f.setOrder(kBigEndian);
    f.seek(offset);
    const std::uint32_t entries = f.readU32();
    if (entries < 1 || entries > kMaxRafEntries) return;
    for (std::uint32_t e = 0; e < entries && !f.atEnd(); ++e) {
        RafEntry entry;
        entry.tag = f.readU16();
        entry.length = f.readU16();
        entry.data = f.tell();
        visit(entry);
        f.setOrder(kBigEndian);
        f.seek(entry.data + entry.length);
    }
}

}  // namespace tavrin::formats
