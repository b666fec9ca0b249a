#pragma once
// Canon's CIFF heap (CRW files, and CIFF data inside JPEG segments): a table of records at the
// place the heap's last word names, with sub-heaps inside.

#include <cstdint>
#include <functional>

#include "formats/container_limits.hpp"
#include "formats/file_reader.hpp"

namespace tavrin::formats {

// A record's type tells where its data lie: in the heap, or (up to eight bytes) in the record
// itself, in place of its size and offset.
inline constexpr unsigned kCiffStorageBits = 0xC000, kCiffInRecord = 0x4000;
inline constexpr std::uint32_t kCiffInRecordSize = 8;

struct CiffRecord {
    unsigned type = 0;         // with its storage bits
    std::uint32_t size = 0;    // the record's size field as it stands
    std::uint64_t offset = 0;  // the record's offset field plus the heap's start
    std::uint64_t entry = 0;   // where the record itself lies

    bool inRecord() const { return (type & kCiffStorageBits) == kCiffInRecord; }
    unsigned kind() const { return type & ~kCiffStorageBits; }
    // Where the data lie and how long they are, by the storage bits.
    std::uint64_t dataOffset() const { return inRecord() ? entry + 2 : offset; }
    std::uint32_t dataSize() const { return inRecord() ? kCiffInRecordSize : size; }
    bool isSubHeap() const { return (type >> 8) == 0x28 || (type >> 8) == 0x30; }
};

// Calls visit for each record of the heap at [start, start + length) and of its sub-heaps, in
// file order, with the file at the record's data; visit may move the file position and change
// the byte order. depth counts the containers the heap lies in. A heap outside the file, deeper
// than kMaxContainerDepth or claiming no or more than kMaxCiffRecords records is not read.
void walkCiffHeap(FileReader& file, std::uint64_t start, std::uint64_t length, int depth,
                  RecordBudget& budget, const std::function<void(const CiffRecord&)>& visit);

}  // namespace tavrin::formats
