#include "formats/probe.hpp"

#include <cstring>
#include <optional>
#include <string_view>

namespace tavrin::formats {
namespace {

bool has(const FileHead& head, std::size_t at, std::string_view text) {
    return at + text.size() <= head.size() &&
           std::memcmp(head.data() + at, text.data(), text.size()) == 0;
}

bool byteOrderMark(const FileHead& head) {
    return has(head, 0, "II") || has(head, 0, "MM");
}

// Each test gives where its magic bytes lie, or nothing.
using Test = std::optional<std::size_t> (*)(const FileHead&);

std::optional<std::size_t> at0(bool found) {
    return found ? std::optional<std::size_t>(0) : std::nullopt;
}

std::optional<std::size_t> phaseOne(const FileHead& head) {
    for (std::size_t at = 0; at <= 24; ++at) {
        if (has(head, at, "MMMMRawT") || has(head, at, "IIIITwaR")) return at;
    }
    return std::nullopt;
}

struct Row {
    FileFormat format;
    Test test;
    Container container;
};

constexpr Row kRows[] = {
    {FileFormat::kPhaseOne, phaseOne, Container::kPhaseOneDirectory},
    {FileFormat::kCiff,
     [](const FileHead& h) { return at0(byteOrderMark(h) && has(h, 6, "HEAPCCDR")); },
     Container::kCiffHeap},
    {FileFormat::kTiff, [](const FileHead& h) { return at0(byteOrderMark(h)); },
     Container::kTiffDirectory},
    {FileFormat::kJpegExif,
     [](const FileHead& h) { return at0(has(h, 0, "\xFF\xD8\xFF\xE1") && has(h, 6, "Exif")); },
     Container::kJpegMarkers},
    {FileFormat::kJpeg, [](const FileHead& h) { return at0(has(h, 0, "\xFF\xD8")); },
     Container::kJpegMarkers},
    {FileFormat::kNucoreRaw, [](const FileHead& h) { return at0(has(h, 0, "BR")); },
     Container::kNone},
    {FileFormat::kNucoreBmq, [](const FileHead& h) { return at0(has(h, 0, "BM")); },
     Container::kNone},
    {FileFormat::kContax,
     [](const FileHead& h) {
         return has(h, 25, "ARECOYK") ? std::optional<std::size_t>(25) : std::nullopt;
     },
     Container::kNone},
    {FileFormat::kLogitech, [](const FileHead& h) { return at0(has(h, 0, "PXN")); },
     Container::kNone},
    {FileFormat::kRaf, [](const FileHead& h) { return at0(has(h, 0, "FUJIFILM")); },
     Container::kRafHeader},
    {FileFormat::kRollei, [](const FileHead& h) { return at0(has(h, 0, "DSC-Image")); },
     Container::kRolleiHeader},
    {FileFormat::kMrw,
     [](const FileHead& h) { return at0(has(h, 0, std::string_view("\0MRM", 4))); },
     Container::kMrwBlocks},
    {FileFormat::kX3f, [](const FileHead& h) { return at0(has(h, 0, "FOVb")); },
     Container::kX3fHeader},
    {FileFormat::kPpm, [](const FileHead& h) { return at0(has(h, 0, "P6")); },
     Container::kPpmHeader},
};

}  // namespace

Probed probeFormat(const FileHead& head, std::size_t firstRow) {
    for (std::size_t row = firstRow; row < std::size(kRows); ++row) {
        if (const auto at = kRows[row].test(head))
            return {kRows[row].format, kRows[row].container, *at, row};
    }
    return {FileFormat::kUnknown, Container::kNone, 0, std::size(kRows)};
}

}  // namespace tavrin::formats
