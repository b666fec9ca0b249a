#pragma once
// The one walker of TIFF image file directories: IFD chains, sub-IFDs, the EXIF directory and
// maker-note directories. It checks every bound and hands each entry to a visitor; what an entry
// means, and whether a directory it points to is walked, is the visitor's business.

#include <cstdint>
#include <optional>
#include <set>

#include "formats/file_reader.hpp"

namespace tavrin::formats {

// The limits of every walk: directories with more entries are not directories, deeper ones are
// not walked, and one file hands out at most kMaxTiffEntriesPerFile entries in all.
inline constexpr unsigned kMaxTiffEntries = 512;
inline constexpr int kMaxTiffDepth = 8;
inline constexpr unsigned kMaxTiffEntriesPerFile = 100000;

enum class TiffDirectoryKind { Image, SubImage, Exif, MakerNote };

struct TiffDirectory {
    std::uint64_t offset = 0;  // file offset of the entry count
    std::uint64_t base = 0;    // what value offsets count from
    TiffDirectoryKind kind = TiffDirectoryKind::Image;
    int depth = 0;
    unsigned entryCount = 0;
};

struct TiffEntry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::uint64_t position = 0;  // file offset of the entry itself
    std::uint32_t field = 0;     // the value field as a 32-bit number in the directory's order
    bool inlineValue = true;     // the values fit in the field
    std::uint64_t valueAt = 0;   // the values: the field, or base + field
    bool valueInFile = false;    // valueAt lies inside the file
    const TiffDirectory* directory = nullptr;
};

class TiffDirectoryReader;

class TiffVisitor {
  public:
    virtual ~TiffVisitor() = default;
    // A directory was accepted; its entries follow.
    virtual void beginDirectory(const TiffDirectory&) {}
    // One entry, with the file at its values. The visitor may read, seek, change the byte order
    // (that holds for the rest of the directory) and walk the directories the entry points to.
    virtual void visitEntry(TiffDirectoryReader& reader, const TiffEntry& entry) = 0;
    // After the last entry of an accepted directory.
    virtual void endDirectory(const TiffDirectory&) {}
};

enum class TiffWalk {
    Walked,
    Refused,  // outside the file, seen before, too deep, too many entries or the budget spent
};

class TiffDirectoryReader {
  public:
    explicit TiffDirectoryReader(FileReader& file) : file_(file) {}

    FileReader& file() { return file_; }

    // Reads the "II"/"MM" header at base and takes its byte order; the offset of the first
    // directory (from base), or nothing when base holds no TIFF header.
    std::optional<std::uint32_t> readHeader(std::uint64_t base);

    // Walks the directory at offset in the file's current byte order. Position and byte order
    // are as they were afterwards.
    TiffWalk walkDirectory(std::uint64_t offset, std::uint64_t base, TiffDirectoryKind kind,
                           int depth, TiffVisitor& visitor);

    // Walks the chain of top-level directories from base + first, each linked to the next by the
    // offset after its entries, until an offset is 0 or a directory is refused.
    void walkChain(std::uint64_t base, std::uint32_t first, TiffVisitor& visitor);

  private:
    FileReader& file_;
    std::set<std::uint64_t> visited_;
    unsigned budget_ = kMaxTiffEntriesPerFile;
};

}  // namespace tavrin::formats
