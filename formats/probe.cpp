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
    {kPhaseOne, {{{"MMMMRawT"}}}, 24, kPhaseOneDirectory},
    {kPhaseOne, {{{"IIIITwaR"}}}, 24, kPhaseOneDirectory},
    {kCiff, {{{"II"}, {"HEAPCCDR", 6}}}, 0, kCiffHeap},
    {kCiff, {{{"MM"}, {"HEAPCCDR", 6}}}, 0, kCiffHeap},
    {kTiff, {{{"II"}}}, 0, kTiffDirectory},
    {kTiff, {{{"MM"}}}, 0, kTiffDirectory},
    {kJpegExif, {{{"\xFF\xD8\xFF\xE1"}, {"Exif", 6}}}, 0, kJpegMarkers},
    {kJpeg, {{{"\xFF\xD8"}}}, 0, kJpegMarkers},
    {kNucoreRaw, {{{"BR"}}}, 0, kNone},
    {kNucoreBmq, {{{"BM"}}}, 0, kNone},
    {kContax, {{{"ARECOYK", 25}}}, 0, kNone},
    {kLogitech, {{{"PXN"}}}, 0, kNone},
    {kRaf, {{{"FUJIFILM"}}}, 0, kRafHeader},
    {kRollei, {{{"DSC-Image"}}}, 0, kRolleiHeader},
    {kMrw, {{{std::string_view("\0MRM", 4)}}}, 0, kMrwBlocks},
    {kX3f, {{{"FOVb"}}}, 0, kX3fHeader},
    {kPpm, {{{"P6"}}}, 0, kPpmHeader},
    {kCr3, {{{"ftypcrx ", 4}}}, 0, kIsoBoxes},
};

bool has(const FileHead& head, const Mark& mark, std::size_t shift) {
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
    return {kUnknown, kNone, 0, std::size(kRows)};
}

}  // namespace tavrin::formats
