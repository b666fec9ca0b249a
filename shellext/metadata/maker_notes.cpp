// Maker notes inside the EXIF block: Nikon, Olympus and Minolta directories (with their preview
// locations), and the white balance of Pentax and Fuji notes.

#include <cstring>

#include "shellext/info/info_context.hpp"

namespace tavrin::shell {
namespace {

constexpr unsigned kMaxNoteEntries = 100;

bool containsMinolta(const std::string& make) {
    return make.find("Minolta") != std::string::npos || make.find("MINOLTA") != std::string::npos;
}

// Walks a note's entries and hands each 16-bit value to take(tag, value).
template <typename Take>
void readWhiteBalanceNote(InfoContext& ctx, Take take) {
    formats::FileReader& f = ctx.file;
    const unsigned entries = f.ReadU16();
    for (unsigned e = 0; e < entries && e < kMaxEntries && !f.atEnd(); ++e) {
        const unsigned tag = f.ReadU16();
        f.skip(2);
        f.ReadU32();
        const std::uint64_t field = f.tell();
        take(tag, f.ReadU16());
        f.seek(field + 4);
    }
}

}  // namespace

HRESULT readMakerNote(InfoContext& ctx, std::uint64_t base) {
    formats::FileReader& f = ctx.file;
    ImageInfo& info = ctx.info;
    const std::uint16_t order = f.order();
    char header[10] = {};
    f.read(header, sizeof header);
    auto is = [&](const char* text, std::size_t n) { return std::memcmp(header, text, n) == 0; };
    if (is("Nikon\0", 6)) {
        base = f.tell();
        const int a = f.get(), b = f.get();
        f.setOrder(static_cast<std::uint16_t>((a & 0xFF) << 8 | (b & 0xFF)));
        f.ReadU16();
        const std::uint32_t first = f.ReadU32();
        f.skip(static_cast<std::int64_t>(first) - 8);
    } else if (is("FUJIFILM", 8)) {
        f.setOrder(formats::kLittleEndian);
        f.skip(2);
    } else if (is("Panasonic\0", 10) || is("OLYMP\0", 6) || is("LEICA\0", 6) || is("EPSON\0", 6)) {
        f.skip(-2);
    } else if (is("AOC\0", 4)) {
        f.skip(-4);
    } else {
        f.skip(-10);
    }

    const unsigned entries = f.ReadU16();
    HRESULT result = com::S_OK;
    ++ctx.depth;
    for (unsigned e = 0; e < entries && entries <= kMaxNoteEntries && !f.atEnd(); ++e) {
        const std::uint64_t entry = f.tell();
        const unsigned tag = f.ReadU16();
        const unsigned type = f.ReadU16();
        const std::uint32_t count = f.ReadU32();
        const std::uint32_t value = f.ReadU32();
        f.skip(-4);
        if (tag == 0x0100 && type == 7 && info.make.compare(0, 7, "OLYMPUS") == 0) {
            info.previewOffset = value + base;
            info.previewLength = count;
        }
        if (tag == 0x0280 && type == 1) {
            info.previewOffset = value + base + 1;
            info.previewLength = static_cast<std::int64_t>(count) - 1;
            info.previewPrefix = std::string(1, '\xFF');
        }
        if (containsMinolta(info.make)) {
            if (tag == 0x0081) {
                info.previewOffset = value + base;
                info.previewLength = count;
            }
            if (tag == 0x0088) info.previewOffset = value + base;
            if (tag == 0x0089) info.previewLength = value;
        }
        seekToValue(f, type, count, base);
        const std::uint64_t values = f.tell();
        result = handleExifEntry(ctx, tag, type);
        if (result != com::S_OK) break;
        if (tag == 0x0002) {
            f.seek(values + 2);
            const unsigned iso = f.ReadU16();
            if (iso <= kMaxIso) info.shooting.isoText = std::to_string(iso);
        }
        if (tag == 0x0005 && count > 0) {
            f.seek(values);
            info.shooting.whiteBalance = readExifText(f, count - 1, count - 1);
        }
        f.seek(entry + 12);
    }
    --ctx.depth;
    f.setOrder(order);
    return result;
}

void readPentaxNote(InfoContext& ctx) {
    readWhiteBalanceNote(ctx, [&](unsigned tag, unsigned value) {
        if (tag != 0x0007) return;
        static constexpr std::pair<unsigned, int> kModes[] = {
            {0, 0}, {1, 1}, {2, 7}, {4, 5}, {5, 6}};
        for (const auto& [v, i] : kModes) {
            if (value == v) ctx.info.shooting.setWhiteBalance(i);
        }
    });
}

void readFujiNote(InfoContext& ctx) {
    readWhiteBalanceNote(ctx, [&](unsigned tag, unsigned value) {
        if (tag != 0x1002) return;
        static constexpr std::pair<unsigned, int> kModes[] = {
            {0, 0}, {256, 1}, {512, 2}, {768, 8}, {769, 9}, {770, 10}, {1024, 11}, {3840, 4}};
        for (const auto& [v, i] : kModes) {
            if (value == v) ctx.info.shooting.setWhiteBalance(i);
        }
    });
}

}  // namespace tavrin::shell
