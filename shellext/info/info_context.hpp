#pragma once
// What the image info reader and the metadata readers share while one file is read.

#include <cstdint>
#include <vector>

#include "formats/container_limits.hpp"
#include "formats/file_reader.hpp"
#include "formats/tiff_directory.hpp"
#include "formats/tiff_types.hpp"
#include "platform/com/types.hpp"
#include "shellext/info/image_info.hpp"

namespace tavrin::shell {

using com::HRESULT;
using formats::FileReader;

inline constexpr int kMaxDepth = 8;
inline constexpr unsigned kMaxEntries = 512;

// A complete picture the file embeds (a JPEG): where it lies.
struct EmbeddedPicture {
    std::int64_t offset = 0;
    std::int64_t length = 0;
};

struct InfoContext {
    ImageInfo& info;
    formats::FileReader& file;
    int depth = 0;
    formats::RecordBudget budget{};  // records the nested readers may still read
    // Every embedded picture the walk passed, for when the chosen preview is cut off.
    std::vector<EmbeddedPicture> pictures{};
    // The TIFF directories of the file, each walked once however often it is pointed to.
    formats::TiffDirectoryReader tiff{file};

    bool spend() { return budget.spend(); }
    void notePicture(std::int64_t offset, std::int64_t length) {
        if (offset > 0 && length > 0 && pictures.size() < kMaxEntries)
            pictures.push_back({offset, length});
    }
};

// Up to count bytes of text at the position, cut at the first NUL and at limit characters.
std::string readText(formats::FileReader& file, std::uint64_t count, std::size_t limit);
// The same for an EXIF or TIFF text, without the blanks that pad it to its field.
std::string readExifText(formats::FileReader& file, std::uint64_t count, std::size_t limit);

// The EXIF entry handler: with the file at the entry's value, takes the shooting data the tag
// holds and reads the maker note it points to.
void handleExifEntry(InfoContext& ctx, const formats::TiffEntry& entry);
// The EXIF directory at offset, every entry through handleExifEntry.
void walkExifDirectory(InfoContext& ctx, std::uint64_t offset, std::uint64_t base, int depth);

// The metadata readers.
// The maker note an EXIF entry holds, read as its make says (the file at the note).
void readMakerNote(InfoContext& ctx, const formats::TiffEntry& note);
void readDescriptionText(InfoContext& ctx, std::string text);
void readKodakText(InfoContext& ctx, std::string text);
void readCanonShotInfo(InfoContext& ctx);
HRESULT readCiffDirectory(InfoContext& ctx, std::uint64_t start, std::uint64_t length);
void readRolleiHeader(InfoContext& ctx);
HRESULT readFoveonProperties(InfoContext& ctx);

}  // namespace tavrin::shell
