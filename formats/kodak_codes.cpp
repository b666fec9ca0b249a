#include "formats/kodak_codes.hpp"

namespace tavrin::formats {

bool readKodakLengths(FileReader& file, int count, KodakLengths& lengths) {
    bool valid = true;
    for (int i = 0; i < count && i + 1 < static_cast<int>(lengths.size()); i += 2) {
        const auto byte = static_cast<std::uint8_t>(file.get());
        lengths[i] = byte & 15;
        lengths[i + 1] = byte >> 4;
        if (lengths[i] > 12 || lengths[i + 1] > 12) valid = false;
    }
    return valid;
}

}  // namespace tavrin::formats
