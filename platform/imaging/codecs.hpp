#pragma once
// The decoders behind decodeImage, one per format, and the colour-profile step they share.

#include <cstdint>
#include <span>

#include "platform/imaging/decode.hpp"

namespace tavrin::imaging::detail {

bool isJpeg(std::span<const std::uint8_t> head);
bool isTiff(std::span<const std::uint8_t> head);
bool isBmp(std::span<const std::uint8_t> head);

Decoded decodeJpeg(std::span<const std::uint8_t> data, const DecodeOptions& options);
Decoded decodeTiff(std::span<const std::uint8_t> data, const DecodeOptions& options);
Decoded decodeBmp(std::span<const std::uint8_t> data);

Probed probeJpeg(std::span<const std::uint8_t> data);
Probed probeTiff(std::span<const std::uint8_t> data);
Probed probeBmp(std::span<const std::uint8_t> data);

// Converts the bitmap from the colours of an embedded ICC profile to sRGB. A profile that
// cannot be read, or that is not an RGB profile, leaves the pixels as they are.
void applyIccProfile(Bitmap& bitmap, std::span<const std::uint8_t> profile);

inline Decoded failed(Status status) {
    return Decoded{status, nullptr};
}

}  // namespace tavrin::imaging::detail
