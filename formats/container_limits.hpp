#pragma once
// The limits every container reader holds a file to, the same for every user of the readers.

#include <cstddef>
#include <cstdint>

namespace tavrin::formats {

// Containers inside containers (sub-heaps, nested packets) followed before a reader stops.
inline constexpr int kMaxContainerDepth = 8;
// Records, packets and segments all nested readers of one file may read together: depth alone
// would let a hostile file make them read the same bytes over and over.
inline constexpr int kMaxContainerRecords = 100000;
// A CIFF heap claiming more records than this is no heap.
inline constexpr unsigned kMaxCiffRecords = 1000;
// Segments of a JPEG marker chain walked before the walk gives up.
inline constexpr int kMaxJpegSegments = 1000;
// Entries of a RAF directory (a directory claiming more is not read).
inline constexpr std::uint32_t kMaxRafEntries = 60;
// Sections of an X3F directory and properties of one property list.
inline constexpr std::uint32_t kMaxX3fSections = 256;
inline constexpr std::uint32_t kMaxX3fProperties = 256;
// Entries of a Phase One directory.
inline constexpr std::uint32_t kMaxPhaseOneEntries = 4096;
// Lines of a Rollei text header, and the characters kept of one line.
inline constexpr int kMaxRolleiLines = 10000;
inline constexpr std::size_t kMaxRolleiLineLength = 127;

// What one file's nested readers may still read; shared by the readers a file passes through.
class RecordBudget {
  public:
    bool spend() { return left_-- > 0; }

  private:
    int left_ = kMaxContainerRecords;
};

}  // namespace tavrin::formats
