// The EXIF directory and the camera makers' notes inside it, for white balance, black level,
// raw size and the positions later steps need.

#include <algorithm>
#include <cstring>

#include "formats/tiff_tags.hpp"
#include "rawengine/parsers/parse_context.hpp"

namespace tavrin::raw {
namespace {

// Two big-endian 16-bit words, each / 256: red and blue.
void readRedBlue256(ParseContext& ctx) {
    ctx.file.setOrder(formats::kBigEndian);
    ctx.s.colour.cameraMultipliers[0] = static_cast<float>(ctx.file.readU16()) / 256;
    ctx.s.colour.cameraMultipliers[2] = static_cast<float>(ctx.file.readU16()) / 256;
}

// Four 16-bit words into the multipliers in the order red, blue, green, second green.
void readRbgg(ParseContext& ctx) {
    static constexpr int kTarget[] = {0, 2, 1, 3};
    for (int c : kTarget)
        ctx.s.colour.cameraMultipliers[c] = ctx.file.readU16();
}

// The EXIF directory: the shooting time and the maker note.
class ExifVisitor final : public formats::TiffVisitor {
  public:
    ExifVisitor(ParseContext& ctx, int depth) : ctx_(ctx), depth_(depth) {}

    void visitEntry(formats::TiffDirectoryReader&, const formats::TiffEntry& e) override {
        formats::FileReader& f = ctx_.file;
        // This directory's values are always where the field points, whatever their size.
        const std::uint64_t value = e.directory->base + e.field;
        if (value >= f.size()) return;
        f.seek(value);
        if (e.tag == formats::kTagDateTimeOriginal || e.tag == formats::kTagDateTimeDigitized)
            readTimestamp(ctx_);
        if (e.tag == formats::kTagMakerNote) {
            if (ctx_.s.id.make == "SONY") {
                ctx_.s.container.dataOffset = value + e.count;
            } else {
                parseMakerNote(ctx_, e.directory->base, depth_ + 1);
            }
        }
    }

  private:
    ParseContext& ctx_;
    int depth_;
};

// The entries of a maker's note that carry white balance, black level, raw size and the
// positions later steps need.
class MakerNoteVisitor final : public formats::TiffVisitor {
  public:
    MakerNoteVisitor(ParseContext& ctx, bool pentax) : ctx_(ctx), pentax_(pentax) {}

    void visitEntry(formats::TiffDirectoryReader&, const formats::TiffEntry& e) override;

  private:
    ParseContext& ctx_;
    bool pentax_;
};

void MakerNoteVisitor::visitEntry(formats::TiffDirectoryReader&, const formats::TiffEntry& e) {
    formats::FileReader& f = ctx_.file;
    DecodeState& s = ctx_.s;
    const unsigned type = e.type;
    const std::uint32_t count = e.count;
    const std::uint64_t data = e.valueAt;
    if (!e.valueInFile || (pentax_ && e.tag < 0x1D)) return;
    auto& mul = s.colour.cameraMultipliers;
    switch (e.tag) {
        case 0x0C:
            if (count == 4) {
                mul[0] = static_cast<float>(readRational(f));
                mul[2] = static_cast<float>(readRational(f));
            }
            break;
        case 0x14:
            if (count == 2560 && type == 7) {
                f.seek(data + 1248);
                readRedBlue256(ctx_);
            }
            break;
        case 0x1D: {
            std::uint32_t serial = 0;
            for (int i = 0; i < 12; ++i) {
                const int c = f.get();
                if (c < '0' || c > '9') break;
                serial = serial * 10 + static_cast<std::uint32_t>(c - '0');
            }
            s.container.serialNumber = serial;
            break;
        }
        case 0x8C:
        case 0x96:
            s.container.nikonCurveOffset = data;
            break;
        case 0x97: {
            int version = 0;
            for (int i = 0; i < 4; ++i)
                version = version * 16 + (f.get() - '0');
            // Version 0x200 keeps its block enciphered with keys this build does not have;
            // the camera balance then falls back to what the other tags give.
            if (version == 0x100) {
                f.seek(data + 0x44);
                readRbgg(ctx_);
            } else if (version == 0x102) {
                f.seek(data + 6);
                readRbgg(ctx_);
            } else if (version == 0x103) {
                f.seek(data + 0x10);
                readRbgg(ctx_);
            }
            break;
        }
        case 0xE0:
            if (count == 17) {
                f.readU16();  // the block's own size comes first
                s.geometry.rawWidth = f.readU16();
                s.geometry.rawHeight = f.readU16();
            }
            break;
        case 0x200:
        case 0x401:
            if (count == 4) {
                long sum = 0;
                for (int i = 0; i < 4; ++i)
                    sum += readTiffValue(f, type);
                s.sensor.blackLevel = static_cast<int>(std::min<long>(sum / 4, 65535));
            }
            break;
        case 0x201:
            if (count == 4) {
                for (int c = 0; c < 4; ++c)
                    mul[c] = static_cast<float>(readTiffValue(f, type));
            }
            break;
        case 0xE80:
            if (count == 256 && type == 7) {
                f.seek(data + 48);
                mul[0] = static_cast<float>(f.readU16() * 508 * 1.078 / 65536);
                mul[2] = static_cast<float>(f.readU16() * 382 * 1.173 / 65536);
            }
            break;
        case 0xF00:
            if (count == 614 && type == 7) {
                f.seek(data + 188);
                readRedBlue256(ctx_);
            }
            break;
        case 0x1017:
        case 0x1C:
            mul[0] = static_cast<float>(readTiffValue(f, type)) / 256;
            break;
        case 0x1018:
        case 0x1B:
            mul[2] = static_cast<float>(readTiffValue(f, type)) / 256;
            break;
        case 0x2011:
            if (count == 2) readRedBlue256(ctx_);
            break;
        case 0x4001: {
            f.seek(data + (s.id.model.find("EOS-1D") != std::string::npos ? 68 : 50));
            for (int c = 0; c < std::min(s.sensor.colourCount, 4); ++c) {
                mul[c ^ (c >> 1)] = f.readU16();
            }
            break;
        }
        default:
            break;
    }
}

}  // namespace

void walkExifDirectory(ParseContext& ctx, std::uint64_t offset, std::uint64_t base, int depth) {
    ExifVisitor visitor(ctx, depth);
    ctx.tiff.walkDirectory(offset, base, formats::TiffDirectoryKind::Exif, depth, visitor);
}

void parseMakerNote(ParseContext& ctx, std::uint64_t base, int depth) {
    formats::FileReader& f = ctx.file;
    const std::uint16_t savedOrder = f.order();
    const std::uint64_t start = f.tell();
    char sig[10] = {};
    f.read(sig, sizeof sig);
    auto starts = [&](const char* text) { return std::strncmp(sig, text, std::strlen(text)) == 0; };
    if (starts("KC") || starts("MLY")) {
        f.setOrder(savedOrder);
        return;
    }
    std::uint64_t noteBase = base;
    std::uint64_t directory = start;
    if (starts("Nikon")) {
        const int a = f.get(), b = f.get();
        const auto order = static_cast<std::uint16_t>((a & 0xFF) << 8 | (b & 0xFF));
        if (order == formats::kLittleEndian || order == formats::kBigEndian) f.setOrder(order);
        if (f.readU16() == 42) {
            noteBase = start + 10;
            directory = f.readU32() + noteBase;
        }
    } else if (starts("FUJIFILM") || starts("Panasonic")) {
        f.setOrder(formats::kLittleEndian);
        directory = start + 12;
    } else if (starts("OLYMP") || starts("LEICA") || starts("EPSON")) {
        directory = start + 8;
    } else if (starts("AOC") || starts("QVC")) {
        directory = start + 6;
    }
    MakerNoteVisitor visitor(ctx, starts("AOC"));
    ctx.tiff.walkDirectory(directory, noteBase, formats::TiffDirectoryKind::MakerNote, depth,
                           visitor);
    f.setOrder(savedOrder);
}

}  // namespace tavrin::raw
