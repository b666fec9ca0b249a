#pragma once
// What the container parsers share while one file is identified.

#include <cstdint>
#include <optional>
#include <string>

#include "formats/container_limits.hpp"
#include "formats/file_reader.hpp"
#include "formats/tiff_directory.hpp"
#include "formats/tiff_types.hpp"
#include "rawengine/decode_state.hpp"

namespace tavrin::raw {

// The picture one TIFF directory describes, as far as its own tags say.
struct TiffImage {
    int rawWidth = 0, rawHeight = 0;
    std::optional<int> whiteLevel;
    std::optional<int> compression, photometric, samplesPerPixel;
    std::optional<std::uint64_t> dataOffset;

    void applyTo(DecodeState& s) const;
};

struct ParseContext {
    DecodeState& s;
    formats::FileReader& file;
    int nesting = 0;                 // containers inside containers
    formats::RecordBudget budget{};  // records and packets the nested parsers may still read
    // The first directory of the full-size picture (NewSubfileType 0): in a DNG that is the raw
    // image, whatever previews its other directories describe.
    std::optional<TiffImage> fullSizeImage{};
    bool orientationSeen = false;  // a directory gave the picture's orientation
    // The TIFF directories of the file, each walked once however often it is pointed to.
    formats::TiffDirectoryReader tiff{file};

    bool spend() { return budget.spend(); }
};

// Up to count bytes of text at the position, cut at the first NUL and at 63 characters.
std::string readText(formats::FileReader& file, std::size_t count);

// One value of a TIFF field by its type (16-bit for type 3, 32-bit otherwise).
std::uint32_t readTiffValue(formats::FileReader& file, unsigned type);

// A signed rational: numerator over denominator, 0 when the denominator is 0.
double readRational(formats::FileReader& file);

// "YYYY:MM:DD hh:mm:ss" (or its 19 characters read back to front) as local time; kept only
// when the conversion gives a time after 1970.
void readTimestamp(ParseContext& ctx, bool reversed = false);

// The container parsers.
void parseTiff(ParseContext& ctx, std::uint64_t base);
void walkExifDirectory(ParseContext& ctx, std::uint64_t offset, std::uint64_t base, int depth);
// The maker note at the file's position, its offsets counted from base unless its header says
// otherwise.
void parseMakerNote(ParseContext& ctx, std::uint64_t base, int depth);
void parseCiff(ParseContext& ctx, std::uint64_t offset, std::uint64_t length);
void parseMinolta(ParseContext& ctx);
void parseRollei(ParseContext& ctx);
void parsePhaseOne(ParseContext& ctx, std::uint64_t base);
void parseLeaf(ParseContext& ctx, std::uint64_t offset);
void parseFuji(ParseContext& ctx);
void parseFoveon(ParseContext& ctx);
void parseExternal(ParseContext& ctx);
void parseJpegMarkers(ParseContext& ctx, std::uint64_t offset);

// The companion file's name for a RAW file name (empty when the rule does not apply).
std::string companionName(const std::string& path);

}  // namespace tavrin::raw
