// The maker note of an EXIF directory: the reader its make calls for, and where its directory
// starts after the header it may have.

#include "shellext/metadata/maker_notes.hpp"

#include <cstring>

#include "platform/system/ascii.hpp"

namespace tavrin::shell {
namespace {

// Nikon, Olympus and Minolta notes of more entries are not read.
constexpr unsigned kMaxTaggedNoteEntries = 100;

bool containsMinolta(const std::string& make) {
    return make.find("Minolta") != std::string::npos || make.find("MINOLTA") != std::string::npos;
}

// The entries of a Nikon, Olympus or Minolta note: each maker's rules and the EXIF tags.
class TaggedNoteVisitor final : public formats::TiffVisitor {
  public:
    explicit TaggedNoteVisitor(InfoContext& ctx) : ctx_(ctx) {}

    void beginDirectory(const formats::TiffDirectory& note) override {
        ignored_ = note.entryCount > kMaxTaggedNoteEntries;
    }
    void visitEntry(formats::TiffDirectoryReader&, const formats::TiffEntry& e) override {
        if (ignored_) return;
        readOlympusNoteEntry(ctx_, e);
        readMinoltaNoteEntry(ctx_, e);
        handleExifEntry(ctx_, e);
        readNikonNoteEntry(ctx_, e);
    }

  private:
    InfoContext& ctx_;
    bool ignored_ = false;
};

// Where a note's directory starts and what its offsets count from.
struct NoteDirectory {
    std::uint64_t offset;
    std::uint64_t base;
};

// The note at the file's position: its offsets count from base unless a header with a TIFF
// header of its own says otherwise. Takes the byte order such a header names.
NoteDirectory locateNote(formats::FileReader& f, std::uint64_t base) {
    const std::uint64_t start = f.tell();
    char header[10] = {};
    f.read(header, sizeof header);
    auto is = [&](const char* text, std::size_t n) { return std::memcmp(header, text, n) == 0; };
    if (is("Nikon\0", 6)) {
        const int a = f.get(), b = f.get();
        f.setOrder(static_cast<std::uint16_t>((a & 0xFF) << 8 | (b & 0xFF)));
        f.readU16();
        return {start + 10 + f.readU32(), start + 10};
    }
    if (is("FUJIFILM", 8)) {
        f.setOrder(formats::kLittleEndian);
        return {start + 12, base};
    }
    if (is("Panasonic\0", 10) || is("OLYMP\0", 6) || is("LEICA\0", 6) || is("EPSON\0", 6))
        return {start + 8, base};
    if (is("AOC\0", 4)) return {start + 6, base};
    return {start, base};
}

// The directory of a Nikon, Olympus or Minolta note at the file's position.
void readTaggedNote(InfoContext& ctx, std::uint64_t base, int depth) {
    formats::FileReader& f = ctx.file;
    const std::uint16_t order = f.order();
    const NoteDirectory note = locateNote(f, base);
    TaggedNoteVisitor visitor(ctx);
    ++ctx.depth;
    ctx.tiff.walkDirectory(note.offset, note.base, formats::TiffDirectoryKind::MakerNote, depth,
                           visitor);
    --ctx.depth;
    f.setOrder(order);
}

// The one entry of a note that names the white balance.
class WhiteBalanceVisitor final : public formats::TiffVisitor {
  public:
    WhiteBalanceVisitor(InfoContext& ctx, const WhiteBalanceNote& note) : ctx_(ctx), note_(note) {}

    void visitEntry(formats::TiffDirectoryReader&, const formats::TiffEntry& e) override {
        if (e.tag != note_.tag) return;
        const unsigned value = ctx_.file.readU16();
        for (const WhiteBalanceMode& m : note_.modes) {
            if (value == m.value) ctx_.info.shooting.setWhiteBalance(m.mode);
        }
    }

  private:
    InfoContext& ctx_;
    const WhiteBalanceNote& note_;
};

// The white balance of the note at the file's position, its directory found by the header
// rules every note shares.
void readWhiteBalanceNote(InfoContext& ctx, const WhiteBalanceNote& note, std::uint64_t base,
                          int depth) {
    formats::FileReader& f = ctx.file;
    const std::uint16_t order = f.order();
    const NoteDirectory directory = locateNote(f, base);
    WhiteBalanceVisitor visitor(ctx, note);
    ctx.tiff.walkDirectory(directory.offset, directory.base, formats::TiffDirectoryKind::MakerNote,
                           depth, visitor);
    f.setOrder(order);
}

}  // namespace

void readMakerNote(InfoContext& ctx, const formats::TiffEntry& note) {
    const std::string& make = ctx.info.make;
    const int depth = note.directory->depth + 1;
    if (ascii::startsWithIgnoreCase(make, "NIKON") ||
        ascii::startsWithIgnoreCase(make, "OLYMPUS") || containsMinolta(make)) {
        readTaggedNote(ctx, note.valueAt, depth);
    } else if (make.find("PENTAX") != std::string::npos) {
        readWhiteBalanceNote(ctx, kPentaxWhiteBalance, note.valueAt, depth);
    } else if (ascii::startsWithIgnoreCase(make, "FUJIFILM")) {
        readWhiteBalanceNote(ctx, kFujiWhiteBalance, note.valueAt, depth);
    }
}

}  // namespace tavrin::shell
