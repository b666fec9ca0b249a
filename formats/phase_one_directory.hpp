#pragma once
// Phase One's directory: its position in the header's third word (from the header's mark on),
// then entries of tag, type, length and a value or offset.

#include <cstdint>
#include <functional>

#include "formats/file_reader.hpp"

namespace tavrin::formats {

struct PhaseOneEntry {
    std::uint32_t tag = 0;
    std::uint32_t type = 0;
    std::uint32_t length = 0;
    std::uint32_t data = 0;  // the value, or the data's offset from the header's mark
};

// Calls visit for each entry (at most kMaxPhaseOneEntries, none past the end of the file) of the
// directory of the header at base, in the file's current byte order.
void walkPhaseOneDirectory(FileReader& file, std::uint64_t base,
                           const std::function<void(const PhaseOneEntry&)>& visit);

}  // namespace tavrin::formats
