#include "formats/ppm_header.hpp"

#include <algorithm>

namespace tavrin::formats {

std::optional<PpmHeader> readPpmHeader(FileReader& f) {
    f.seek(2);
    long numbers[3] = {};
    for (long& n : numbers) {
        int c = f.get();
        while (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '#') {
            if (c == '#') {
                while (c >= 0 && c != '\n')
                    c = f.get();
            }
            c = f.get();
        }
        if (c < '0' || c > '9') return std::nullopt;
        while (c >= '0' && c <= '9') {
            n = std::min(n * 10 + (c - '0'), 1L << 30);
            c = f.get();
        }
    }
    return PpmHeader{static_cast<std::int32_t>(numbers[0]), static_cast<std::int32_t>(numbers[1]),
                     static_cast<std::int32_t>(numbers[2]), f.tell()};
}

}  // namespace tavrin::formats
