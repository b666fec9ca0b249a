#include "formats/ciff_heap.hpp"

namespace tavrin::formats {

void walkCiffHeap(FileReader& f, std::uint64_t start, std::uint64_t length, int depth,
                  RecordBudget& budget, const std::function<void(const CiffRecord&)>& visit) {
    if (length < 4 || start + length > f.size() || depth >= kMaxContainerDepth) return;
    f.seek(start + length - 4);
    f.seek(start + f.readU32());
    const unsigned records = f.readU16();
    if (records < 1 || records > kMaxCiffRecords) return;
    for (unsigned r = 0; r < records && budget.spend(); ++r) {
        CiffRecord record;
        record.entry = f.tell();
        record.type = f.readU16();
        record.size = f.readU32();
        record.offset = f.readU32() + start;
        const std::uint64_t next = f.tell();
        const std::uint16_t order = f.order();
        if (record.isSubHeap()) {
            walkCiffHeap(f, record.dataOffset(), record.dataSize(), depth + 1, budget, visit);
        } else {
            f.seek(record.dataOffset());
            visit(record);
        }
        f.setOrder(order);
        f.seek(next);
    }
}

}  // namespace tavrin::formats
