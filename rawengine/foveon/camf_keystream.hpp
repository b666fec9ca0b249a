#pragma once
// The scrambling of the X3F camera metadata block (CAMF): every byte is XORed with one byte of
// a pseudo-random stream from a linear congruential sequence whose constants the format fixes.
//
// Those constants are not known to us, and we take them from nowhere but the format itself:
// until they are filled in below, the block is used as stored. A block that does not then read
// as a chain of "CMb" blocks counts as missing, and the colour steps work without it.

#include <cstdint>
#include <optional>
#include <span>

namespace tavrin::raw {

// key <- (key x multiplier + increment) mod modulus, starting from seed; each data byte is
// XORed with bits byteShift..byteShift+7 of the next key.
struct CamfKeystream {
    std::uint32_t seed = 0;
    std::uint32_t multiplier = 0;
    std::uint32_t increment = 0;
    std::uint32_t modulus = 0;  // 0 stands for 2^32
    int byteShift = 0;          // 0..24
};

// The format's stream: not known (see above).
inline constexpr std::optional<CamfKeystream> kCamfKeystream = std::nullopt;

// Unscrambles the block in place (scrambles it again: the step is its own inverse). Without a
// stream the block stays as it is.
void unscrambleCamf(std::span<std::uint8_t> block,
                    const std::optional<CamfKeystream>& stream = kCamfKeystream);

}  // namespace tavrin::raw
