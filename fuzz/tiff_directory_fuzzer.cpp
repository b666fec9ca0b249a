// The TIFF directory reader over any bytes, read as a TIFF file: the chain from its header, every
// sub-IFD and EXIF pointer followed, and each value read where the entry says it is.

#include <cstdint>
#include <vector>

#include "formats/file_reader.hpp"
#include "formats/tiff_directory.hpp"
#include "formats/tiff_tags.hpp"

namespace {

using namespace tavrin::formats;

class FollowEverything final : public TiffVisitor {
  public:
    void visitEntry(TiffDirectoryReader& reader, const TiffEntry& e) override {
        FileReader& f = reader.file();
        if (e.valueInFile != (e.valueAt < f.size()) || e.directory->depth > kMaxTiffDepth ||
            e.directory->entryCount > kMaxTiffEntries || ++entries_ > kMaxTiffEntriesPerFile) {
            __builtin_trap();
        }
        const std::uint32_t n = e.count < 16 ? e.count : 16;
        for (std::uint32_t i = 0; i < n; ++i)
            f.readU32();
        const bool note = e.tag == kTagMakerNote;
        if (e.tag != kTagSubIfds && e.tag != kTagExifIfd && !note) return;
        const auto kind = note                   ? TiffDirectoryKind::MakerNote
                          : e.tag == kTagExifIfd ? TiffDirectoryKind::Exif
                                                 : TiffDirectoryKind::SubImage;
        for (std::uint32_t i = 0; i < n; ++i) {
            f.seek(e.valueAt + 4 * static_cast<std::uint64_t>(i));
            const std::uint64_t offset = note ? e.valueAt : e.directory->base + f.readU32();
            if (note) f.setOrder(f.order() == kLittleEndian ? kBigEndian : kLittleEndian);
            reader.walkDirectory(offset, e.directory->base, kind, e.directory->depth + 1, *this);
        }
    }

  private:
    unsigned entries_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FileReader file;
    file.openMemory(std::vector<std::uint8_t>(data, data + size));
    TiffDirectoryReader reader(file);
    FollowEverything visitor;
    // The header at the start, and at 12 as in the containers that carry a TIFF block there.
    for (const std::uint64_t base : {std::uint64_t{0}, std::uint64_t{12}}) {
        if (const auto first = reader.readHeader(base)) reader.walkChain(base, *first, visitor);
    }
    return 0;
}
