#pragma once
// Leaf's packets: "PKTS" marks, each followed by a 40-byte name, a size and that many bytes of
// content, which may hold packets of their own.

#include <cstdint>
#include <functional>
#include <string>

#include "formats/container_limits.hpp"
#include "formats/file_reader.hpp"

namespace tavrin::formats {

struct LeafPacket {
    std::string name;
    std::uint32_t size = 0;
    std::uint64_t content = 0;
};

// Calls visit for each packet of the chain at offset and, depth first, of the chains inside
// packets larger than eight bytes, each of which ends with its packet; visit may move the position.
// depth counts the containers the chain lies in; nothing deeper than kMaxContainerDepth is read.
void walkLeafPackets(FileReader& file, std::uint64_t offset, int depth, RecordBudget& budget,
                     const std::function<void(const LeafPacket&)>& visit);

}  // namespace tavrin::formats
