#include "rawengine/foveon/camf_keystream.hpp"

#include <algorithm>

namespace tavrin::raw {

void unscrambleCamf(std::span<std::uint8_t> block, const std::optional<CamfKeystream>& stream) {
    if (!stream) return;
    const std::uint64_t modulus = stream->modulus ? stream->modulus : std::uint64_t{1} << 32;
    const int shift = std::clamp(stream->byteShift, 0, 24);
    std::uint64_t key = stream->seed % modulus;
    for (std::uint8_t& byte : block) {
        key = (key * stream->multiplier + stream->increment) % modulus;
        byte ^= static_cast<std::uint8_t>(key >> shift);
    }
}

}  // namespace tavrin::raw
