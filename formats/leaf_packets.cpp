#include "formats/leaf_packets.hpp"

#include <cstring>

namespace tavrin::formats {
namespace {

// Eight bytes that begin "PKTS" and a NUL.
bool atPacketMark(FileReader& f) {
    char mark[8];
    return f.read(mark, sizeof mark) == sizeof mark && std::memcmp(mark, "PKTS", 5) == 0;
}

// The chain from offset up to end (a packet's content, or the file).
void walkChain(FileReader& f, std::uint64_t offset, std::uint64_t end, int depth,
               RecordBudget& budget, const std::function<void(const LeafPacket&)>& visit) {
    if (depth >= kMaxContainerDepth || offset >= f.size()) return;
    f.seek(offset);
    while (f.tell() < end && budget.spend() && atPacketMark(f)) {
        char name[41] = {};
        f.read(name, 40);
        LeafPacket packet;
        packet.name = name;
        packet.size = f.readU32();
        packet.content = f.tell();
        visit(packet);
        const std::uint64_t next = packet.content + packet.size;
        if (packet.size > 8) walkChain(f, packet.content, next, depth + 1, budget, visit);
        f.seek(next);
    }
}

}  // namespace

void walkLeafPackets(FileReader& f, std::uint64_t offset, int depth, RecordBudget& budget,
                     const std::function<void(const LeafPacket&)>& visit) {
    walkChain(f, offset, f.size(), depth, budget, visit);
}

}  // namespace tavrin::formats
