#include "shellext/info/jpeg_frame.hpp"

namespace tavrin::shell {
namespace {

constexpr int kMaxSegments = 1000;

bool isFrameHeader(int marker) {
    // SOF0..SOF15 without DHT (C4), JPG (C8) and DAC (CC), which share the range.
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool standsAlone(int marker) {
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8);
}

int bigEndian16(formats::FileReader& f) {
    const int high = f.get(), low = f.get();
    return high < 0 || low < 0 ? -1 : high << 8 | low;
}

}  // namespace

std::optional<FrameSize> readJpegFrameSize(formats::FileReader& f) {
    f.seek(0);
    if (f.get() != 0xFF || f.get() != 0xD8) return std::nullopt;
    for (int segment = 0; segment < kMaxSegments; ++segment) {
        if (f.get() != 0xFF) return std::nullopt;
        int marker = f.get();
        while (marker == 0xFF)  // fill bytes
            marker = f.get();
        if (marker < 0 || marker == 0xD9 || marker == 0xDA) return std::nullopt;
        if (standsAlone(marker)) continue;
        const std::uint64_t start = f.tell();
        const int length = bigEndian16(f);
        if (length < 2) return std::nullopt;
        if (isFrameHeader(marker)) {
            f.get();  // sample precision
            const int height = bigEndian16(f), width = bigEndian16(f);
            if (width <= 0 || height <= 0) return std::nullopt;
            return FrameSize{width, height};
        }
        f.seek(start + static_cast<std::uint64_t>(length));
    }
    return std::nullopt;
}

}  // namespace tavrin::shell
