// The type icon of a file: by its extension, else by the maker the file names.

#include <array>
#include <string_view>

#include "common/file_types.hpp"
#include "platform/system/ascii.hpp"
#include "shellext/extractor/raw_image_extractor.hpp"
#include "shellext/info/image_info_reader.hpp"

namespace tavrin::shell {
namespace {

struct IconRow {
    std::string_view extension;
    int index;
};

// A later row overrides an earlier one; ".trashed" stands last. Today's formats (from ".CR3" on)
// show the general figure.
constexpr IconRow kByExtension[] = {
    {".JPG", 0}, {".JPEG", 0}, {".TIFF", 0}, {".BAY", 0},     {".BMQ", 0}, {".CCD", 0}, {".CS1", 0},
    {".MOS", 0}, {".PPM", 0},  {".RDC", 0},  {".SRF", 0},     {".CR2", 2}, {".CRW", 2}, {".RAF", 3},
    {".DCR", 4}, {".K25", 4},  {".KDC", 4},  {".MRW", 5},     {".NEF", 6}, {".ORF", 7}, {".PEF", 8},
    {".X3F", 9}, {".CR3", 0},  {".RW2", 0},  {".RWL", 0},     {".ARW", 0}, {".SR2", 0}, {".SRW", 0},
    {".NRW", 0}, {".3FR", 0},  {".IIQ", 0},  {".TRASHED", 1},
};

constexpr std::pair<std::string_view, int> kByMaker[] = {
    {"Canon", 2}, {"Nikon", 6}, {"Sigma", 9},   {"Olympus", 7},
    {"Fuji", 3},  {"Kodak", 4}, {"Minolta", 5}, {"Pentax", 8},
};

}  // namespace

int iconIndexFor(const std::string& path) {
    const std::string extension = ascii::upper(extensionOf(path));
    int index = -1;
    for (const auto& row : kByExtension) {
        if (extension == row.extension) index = row.index;
    }
    if (index >= 0) return index;
    ImageInfo info;
    info.filePath = path;
    ReadImageInfo(info, false);
    for (const auto& [maker, i] : kByMaker) {
        if (ascii::equalsIgnoreCase(info.make, maker)) return i;
    }
    return 0;
}

}  // namespace tavrin::shell
