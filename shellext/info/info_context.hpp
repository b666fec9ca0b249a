#pragma once
// What the image info reader and the metadata readers share while one file is read.

#include <cstdint>
#include <set>
#include <vector>

#include "formats/container_limits.hpp"
#include "formats/file_reader.hpp"
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
    std::set<std::uint64_t> visited;  // directories already walked
    int depth = 0;
    formats::RecordBudget budget{};  // records the nested readers may still read
    // Every embedded picture the walk passed, for when the chosen preview is cut off.
    std::vector<EmbeddedPicture> pictures{};

    bool firstVisit(std::uint64_t offset) { return visited.insert(offset).second; }
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
// holds. A maker note's reader may return a failure code, which is passed back.
HRESULT handleExifEntry(InfoContext& ctx, unsigned tag, unsigned type);

// The metadata readers.
HRESULT readMakerNote(InfoContext& ctx, std::uint64_t base);
void readPentaxNote(InfoContext& ctx);
void readFujiNote(InfoContext& ctx);
void readDescriptionText(InfoContext& ctx, std::string text);
void readKodakText(InfoContext& ctx, std::string text);
void readCanonShotInfo(InfoContext& ctx);
HRESULT readCiffDirectory(InfoContext& ctx, std::uint64_t start, std::uint64_t length);
void readRolleiHeader(InfoContext& ctx);
HRESULT readFoveonProperties(InfoContext& ctx);

// The value-or-offset rule: seeks to the entry's values when they do not fit in the field.
void seekToValue(formats::FileReader& file, unsigned type, std::uint32_t count, std::uint64_t base);

}  // namespace tavrin::shell
