// The ISO base media box reader (CR3 layouts) over any bytes in memory; every range it reports
// must lie inside them.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "formats/isobmff_boxes.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tavrin::formats::FileReader reader;
    reader.openMemory(std::vector<std::uint8_t>(data, data + size));
    const auto layout = tavrin::formats::readCr3Layout(reader);
    if (!layout) return 0;
    auto inside = [&](tavrin::formats::ByteRange r) {
        return r.offset <= size && r.length <= size - r.offset;
    };
    bool ok = inside(layout->preview) && inside(layout->thumbnail);
    for (const auto& range : layout->metadata)
        ok = ok && inside(range);
    if (!ok) std::abort();
    return 0;
}
