#pragma once
// The unscrambled camera metadata block (CAMF) of X3F files: a chain of blocks, each starting
// "CMb" and a type letter. All numbers are 32-bit little-endian; offsets count from the start
// of their block unless said otherwise.

#include <cstdint>

namespace tavrin::raw::camf {

// Every block.
inline constexpr std::uint32_t kMark = 0;      // "CMb" and the type letter
inline constexpr std::uint32_t kVersion = 4;   // not used
inline constexpr std::uint32_t kLength = 8;    // the whole block's length: the next block
inline constexpr std::uint32_t kName = 12;     // offset of the block's name (NUL-terminated)
inline constexpr std::uint32_t kContent = 16;  // offset of the content (below)
inline constexpr std::uint32_t kHeaderSize = 20;

inline constexpr char kParameters = 'P';
inline constexpr char kMatrix = 'M';

// 'P' content: a count, the offset of the text area, then count pairs of name and value
// offsets, counted from the text area; the texts are NUL-terminated.
inline constexpr std::uint32_t kParameterCount = 0;
inline constexpr std::uint32_t kTextArea = 4;
inline constexpr std::uint32_t kPairs = 8;
inline constexpr std::uint32_t kPairSize = 8;

// 'M' content: the element type, the number of dimensions (at most 3), the offset of the
// elements (row-major, the first dimension outermost), then one entry per dimension.
inline constexpr std::uint32_t kElementType = 0;
inline constexpr std::uint32_t kDimensionCount = 4;
inline constexpr std::uint32_t kElements = 8;
inline constexpr std::uint32_t kDimensions = 12;
// A dimension entry: its size, the offset of its name, its position; only the size is used.
inline constexpr std::uint32_t kDimensionSize = 0;
inline constexpr std::uint32_t kDimensionEntrySize = 12;
inline constexpr std::uint32_t kMaxDimensions = 3;

// Element types.
enum class ElementType : std::uint32_t {
    Int16 = 0,
    UInt16 = 1,
    Int32 = 2,
    UInt32 = 3,
    Float32 = 4,
    UInt8 = 5,
};

}  // namespace tavrin::raw::camf
