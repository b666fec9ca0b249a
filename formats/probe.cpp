#include "formats/probe.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace tavrin::formats {
namespace {

// Bytes a format's files hold at a place in their head.
struct Mark {
    std::string_view text;
    std::size_t at = 0;
};

// A format's test: all its marks, moved by the same amount of at most lastShift bytes.
struct Row {
    FileFormat format;
    std::array<Mark, 2> marks;
    std::size_t lastShift;
    Container container;
};

using enum FileFormat;
using enum Container;

constexpr Row kRows[] = {
    {PhaseOne, {{{"MMMMRawT"}}}, 24, PhaseOneDirectory},
    {PhaseOne, {{{"IIIITwaR"}}}, 24, PhaseOneDirectory},
    {Ciff, {{{"II"}, {"HEAPCCDR", 6}}}, 0, CiffHeap},
    {Ciff, {{{"MM"}, {"HEAPCCDR", 6}}}, 0, CiffHeap},
    {Tiff, {{{"II"}}}, 0, TiffDirectory},
    {Tiff, {{{"MM"}}}, 0, TiffDirectory},
    {JpegExif, {{{"\xFF\xD8\xFF\xE1"}, {"Exif", 6}}}, 0, JpegMarkers},
    {Jpeg, {{{"\xFF\xD8"}}}, 0, JpegMarkers},
    {NucoreRaw, {{{"BR"}}}, 0, None},
    {NucoreBmq, {{{"BM"}}}, 0, None},
    {Contax, {{{"ARECOYK", 25}}}, 0, None},
    {Logitech, {{{"PXN"}}}, 0, None},
    {Raf, {{{"FUJIFILM"}}}, 0, RafHeader},
    {Rollei, {{{"DSC-Image"}}}, 0, RolleiHeader},
    {Mrw, {{{std::string_view("\0MRM", 4)}}}, 0, MrwBlocks},
    {X3f, {{{"FOVb"}}}, 0, X3fHeader},
    {Ppm, {{{"P6"}}}, 0, PpmHeader},
    {Cr3, {{{"ftypcrx ", 4}}}, 0, IsoBoxes},
};

bool has(const FileHead& head, const Mark& mark, std::size_t shift) {
    if (mark.text.empty()) return true;  // a row's unused second mark
    const std::size_t at = mark.at + shift;
    return at + mark.text.size() <= head.size() &&
           std::memcmp(head.data() + at, mark.text.data(), mark.text.size()) == 0;
}

}  // namespace

Probed probeFormat(const FileHead& head, std::size_t firstRow) {
    for (std::size_t row = firstRow; row < std::size(kRows); ++row) {
        const Row& r = kRows[row];
        for (std::size_t shift = 0; shift <= r.lastShift; ++shift) {
            const bool all = std::all_of(r.marks.begin(), r.marks.end(),
                                         [&](const Mark& m) { return has(head, m, shift); });
            if (all) return {r.format, r.container, r.marks[0].at + shift, row};
        }
    }
    return {Unknown, None, 0, std::size(kRows)};
}

}  // namespace tavrin::formats
