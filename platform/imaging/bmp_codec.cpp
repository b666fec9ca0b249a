#include <array>

#include "platform/imaging/codecs.hpp"

namespace tavrin::imaging::detail {
namespace {

// BITMAPFILEHEADER (14 bytes) then an information header of one of these sizes.
constexpr std::size_t kFileHeader = 14;
constexpr std::uint32_t kCoreHeader = 12;
constexpr std::uint32_t kInfoHeader = 40;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;

std::uint32_t u32(std::span<const std::uint8_t> d, std::size_t at) {
    return d[at] | d[at + 1] << 8 | d[at + 2] << 16 | static_cast<std::uint32_t>(d[at + 3]) << 24;
}
std::uint16_t u16(std::span<const std::uint8_t> d, std::size_t at) {
    return static_cast<std::uint16_t>(d[at] | d[at + 1] << 8);
}

// Extracts the channel under mask and widens it to 8 bits.
std::uint8_t channel(std::uint32_t pixel, std::uint32_t mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    const std::uint32_t max = mask >> shift;
    return static_cast<std::uint8_t>(((pixel & mask) >> shift) * 255 / max);
}

}  // namespace

bool isBmp(std::span<const std::uint8_t> head) {
    return head.size() >= 2 && head[0] == 'B' && head[1] == 'M';
}

Decoded decodeBmp(std::span<const std::uint8_t> d) {
    if (d.size() < kFileHeader + kCoreHeader) return failed(Status::InvalidParameter);
    const std::uint32_t pixelOffset = u32(d, 10);
    const std::uint32_t headerSize = u32(d, kFileHeader);
    std::int64_t width, height;
    std::uint32_t bits, compression = kBiRgb, colours = 0;
    std::size_t paletteEntry = 4;
    if (headerSize == kCoreHeader) {
        width = u16(d, 18);
        height = u16(d, 20);
        bits = u16(d, 24);
        paletteEntry = 3;
    } else if (headerSize >= kInfoHeader && headerSize <= d.size() - kFileHeader) {
        width = static_cast<std::int32_t>(u32(d, 18));
        height = static_cast<std::int32_t>(u32(d, 22));
        bits = u16(d, 28);
        compression = u32(d, 30);
        colours = u32(d, 46);
    } else {
        return failed(Status::InvalidParameter);
    }
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (!Bitmap::sizeAllowed(width, height)) return failed(Status::InvalidParameter);

    std::array<std::uint32_t, 3> masks{};  // red, green, blue
    if (compression == kBiBitfields && (bits == 16 || bits == 32)) {
        const std::size_t at = kFileHeader + kInfoHeader;  // inside V4/V5 headers too
        if (at + 12 > d.size()) return failed(Status::InvalidParameter);
        masks = {u32(d, at), u32(d, at + 4), u32(d, at + 8)};
    } else if (compression != kBiRgb ||
               (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)) {
        return failed(Status::NotImplemented);
    } else if (bits == 32) {
        masks = {0xFF0000, 0xFF00, 0xFF};
    }

    std::array<std::array<std::uint8_t, 3>, 256> palette{};
    if (bits <= 8) {
        const std::uint32_t maxColours = 1u << bits;
        if (colours == 0 || colours > maxColours) colours = maxColours;
        const std::size_t at = kFileHeader + headerSize;
        if (at + colours * paletteEntry > d.size()) return failed(Status::InvalidParameter);
        for (std::uint32_t i = 0; i < colours; ++i) {
            const std::size_t e = at + i * paletteEntry;
            palette[i] = {d[e], d[e + 1], d[e + 2]};
        }
    }

    const std::uint64_t rowBytes = ((static_cast<std::uint64_t>(width) * bits + 31) / 32) * 4;
    if (pixelOffset > d.size() ||
        rowBytes * static_cast<std::uint64_t>(height) > d.size() - pixelOffset) {
        return failed(Status::InvalidParameter);  // truncated
    }
    auto bitmap = Bitmap::createUnfilled(static_cast<int>(width), static_cast<int>(height));
    if (!bitmap) return failed(Status::OutOfMemory);
    for (std::int64_t y = 0; y < height; ++y) {
        const std::uint8_t* in = d.data() + pixelOffset + rowBytes * static_cast<std::uint64_t>(y);
        std::uint8_t* out = bitmap->row(static_cast<int>(topDown ? y : height - 1 - y));
        for (std::int64_t x = 0; x < width; ++x, out += 3) {
            if (bits == 24) {
                out[0] = in[x * 3];
                out[1] = in[x * 3 + 1];
                out[2] = in[x * 3 + 2];
            } else if (bits <= 8) {
                const std::size_t bit = static_cast<std::size_t>(x) * bits;
                const unsigned index = (in[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                const auto& p = palette[index];
                out[0] = p[0];
                out[1] = p[1];
                out[2] = p[2];
            } else {
                const std::uint32_t px = bits == 16
                                             ? u16({in, static_cast<std::size_t>(rowBytes)}, x * 2)
                                             : u32({in, static_cast<std::size_t>(rowBytes)}, x * 4);
                out[0] = channel(px, masks[2]);
                out[1] = channel(px, masks[1]);
                out[2] = channel(px, masks[0]);
            }
        }
    }
    return Decoded{Status::Ok, std::move(bitmap)};
}

Probed probeBmp(std::span<const std::uint8_t> data) {
    const Decoded d = decodeBmp(data);  // small files: the decode is the check
    if (d.status != Status::Ok) return Probed{d.status, 0, 0};
    return Probed{Status::Ok, d.bitmap->width(), d.bitmap->height()};
}

}  // namespace tavrin::imaging::detail
