#pragma once
// Minolta's MRW container: "\0MRM", the length of the blocks behind it, and tagged blocks
// ("\0PRD", "\0TTW", "\0WBG" ...) in front of the raw data.

#include <cstdint>
#include <functional>

#include "formats/file_reader.hpp"

namespace tavrin::formats {

inline constexpr std::uint32_t kMrwPictureBlock = 0x00505244;       // "\0PRD"
inline constexpr std::uint32_t kMrwTiffBlock = 0x00545457;          // "\0TTW"
inline constexpr std::uint32_t kMrwWhiteBalanceBlock = 0x00574247;  // "\0WBG"

struct MrwBlock {
    std::uint32_t tag = 0;
    std::uint32_t length = 0;  // of the data behind the block's eight header bytes
    std::uint64_t data = 0;
};

// Calls visit for each block whose header lies before the raw data and inside the file, with the
// file at the block's data in big-endian order; visit may move the position and change the order.
// Returns where the raw data begin (the header's length plus its eight bytes).
std::uint64_t walkMrwBlocks(FileReader& file, const std::function<void(const MrwBlock&)>& visit);

}  // namespace tavrin::formats
