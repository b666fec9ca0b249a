// The imaging layer's decoders (JPEG, TIFF, BMP): probe, decode, and a reduced decode.

#include <cstdint>
#include <span>

#include "platform/imaging/decode.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tavrin::imaging;
    const std::span<const std::uint8_t> bytes(data, size);
    const Probed probed = probeImage(bytes);
    const Decoded full = decodeImage(bytes);
    if ((full.status == Status::Ok) != (full.bitmap != nullptr)) __builtin_trap();
    if (probed.status == Status::Ok)
        decodeImage(bytes, DecodeOptions{probed.width / 5 + 1, probed.height / 5 + 1});
    return 0;
}
