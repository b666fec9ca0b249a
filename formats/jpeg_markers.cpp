#include "formats/jpeg_markers.hpp"

#include "formats/container_limits.hpp"

namespace tavrin::formats {
namespace {

constexpr int kEndOfImage = 0xD9, kStartOfScan = 0xDA;

bool standsAlone(int marker) {
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8);
}

bool isFrameHeader(int marker) {
    // SOF0..SOF15 without DHT (C4), JPG (C8) and DAC (CC), which share the range.
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

int bigEndian16(FileReader& f) {
    const int high = f.get(), low = f.get();
    return high < 0 || low < 0 ? -1 : high << 8 | low;
}

}  // namespace

bool walkJpegMarkers(FileReader& f, std::uint64_t offset,
                     const std::function<bool(const JpegSegment&)>& visit) {
    f.seek(offset);
    if (f.get() != 0xFF || f.get() != 0xD8) return false;
    for (int segment = 0; segment < kMaxJpegSegments; ++segment) {
        if (f.get() != 0xFF) break;
        int marker = f.get();
        while (marker == 0xFF)  // fill bytes
            marker = f.get();
        if (marker < 0 || marker == kEndOfImage || marker == kStartOfScan) break;
        JpegSegment seg;
        seg.marker = marker;
        if (standsAlone(marker)) {
            seg.payload = f.tell();
            if (!visit(seg)) break;
            f.seek(seg.payload);
            continue;
        }
        const int length = bigEndian16(f);
        if (length < 2) break;
        seg.payload = f.tell();
        seg.length = static_cast<std::uint32_t>(length - 2);
        if (!visit(seg)) break;
        f.seek(seg.payload + seg.length);
    }
    return true;
}

std::optional<std::uint64_t> standaloneExifTiff(FileReader& f) {
    f.setOrder(kBigEndian);
    f.seek(4);
    const std::uint16_t length = f.readU16();
    f.seek(4 + static_cast<std::uint64_t>(length));
    if (f.get() == 0xFF) return std::nullopt;
    return 12;
}

std::optional<FrameSize> readJpegFrameSize(FileReader& f) {
    std::optional<FrameSize> size;
    walkJpegMarkers(f, 0, [&](const JpegSegment& seg) {
        if (!isFrameHeader(seg.marker)) return true;
        f.get();  // sample precision
        const int height = bigEndian16(f), width = bigEndian16(f);
        if (width > 0 && height > 0) size = FrameSize{width, height};
        return false;
    });
    return size;
}

}  // namespace tavrin::formats
