#include "formats/tiff_directory.hpp"

#include <cstring>

#include "formats/tiff_types.hpp"

namespace tavrin::formats {
namespace {

constexpr std::uint64_t kEntrySize = 12;

// Restores the file's position and byte order when a walk ends.
class SavedPlace {
  public:
    explicit SavedPlace(FileReader& file)
        : file_(file), position_(file.tell()), order_(file.order()) {}
    SavedPlace(const SavedPlace&) = delete;
    SavedPlace& operator=(const SavedPlace&) = delete;
    ~SavedPlace() {
        file_.seek(position_);
        file_.setOrder(order_);
    }

  private:
    FileReader& file_;
    std::uint64_t position_;
    std::uint16_t order_;
};

}  // namespace

std::optional<std::uint32_t> TiffDirectoryReader::readHeader(std::uint64_t base) {
    file_.seek(base);
    const int a = file_.get(), b = file_.get();
    const auto order = static_cast<std::uint16_t>((a & 0xFF) << 8 | (b & 0xFF));
    if (order != kLittleEndian && order != kBigEndian) return std::nullopt;
    file_.setOrder(order);
    file_.readU16();  // 42, or a maker's own mark
    return file_.readU32();
}

TiffWalk TiffDirectoryReader::walkDirectory(std::uint64_t offset, std::uint64_t base,
                                            TiffDirectoryKind kind, int depth,
                                            TiffVisitor& visitor) {
    if (offset >= file_.size() || !visited_.insert(offset).second || depth > kMaxTiffDepth ||
        budget_ == 0) {
        return TiffWalk::Refused;
    }
    const SavedPlace saved(file_);
    file_.seek(offset);
    TiffDirectory directory{offset, base, kind, depth, file_.readU16()};
    if (directory.entryCount > kMaxTiffEntries) return TiffWalk::Refused;
    visitor.beginDirectory(directory);
    for (unsigned i = 0; i < directory.entryCount && budget_ > 0; ++i, --budget_) {
        TiffEntry entry;
        entry.position = offset + 2 + kEntrySize * i;
        if (entry.position >= file_.size()) break;
        file_.seek(entry.position);
        // Bytes past the end read as end-of-file bytes, as single reads would give them.
        std::uint8_t bytes[kEntrySize];
        std::memset(bytes, 0xFF, sizeof bytes);
        file_.read(bytes, sizeof bytes);
        entry.tag = file_.u16(bytes);
        entry.type = file_.u16(bytes + 2);
        entry.count = file_.u32(bytes + 4);
        entry.field = file_.u32(bytes + 8);
        entry.inlineValue = static_cast<std::uint64_t>(tiffTypeSize(entry.type)) * entry.count <= 4;
        entry.valueAt = entry.inlineValue ? entry.position + 8 : base + entry.field;
        entry.valueInFile = entry.valueAt < file_.size();
        entry.directory = &directory;
        file_.seek(entry.valueAt);
        visitor.visitEntry(*this, entry);
    }
    visitor.endDirectory(directory);
    return TiffWalk::Walked;
}

void TiffDirectoryReader::walkChain(std::uint64_t base, std::uint32_t first, TiffVisitor& visitor) {
    for (std::uint32_t next = first; next != 0;) {
        const std::uint64_t offset = base + next;
        if (walkDirectory(offset, base, TiffDirectoryKind::Image, 0, visitor) != TiffWalk::Walked)
            break;
        // A chain link past the end reads as end-of-file bytes, which point outside the file.
        file_.seek(offset);
        const std::uint64_t entries = file_.readU16();
        file_.seek(offset + 2 + kEntrySize * entries);
        next = file_.readU32();
    }
}

}  // namespace tavrin::formats
