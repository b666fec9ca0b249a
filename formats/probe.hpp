#pragma once
// What kind of file a file is, by the magic bytes at its start: one table, probed in order.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tavrin::formats {

enum class FileFormat {
    kUnknown,
    kPhaseOne,   // "MMMMRawT" / "IIIITwaR" in the first 32 bytes
    kCiff,       // Canon CRW: a byte-order mark and "HEAPCCDR"
    kTiff,       // a byte-order mark: TIFF and the raw formats built on it
    kJpegExif,   // JPEG whose first segment is APP1 "Exif"
    kJpeg,       // any other JPEG
    kNucoreRaw,  // "BR"
    kNucoreBmq,  // "BM"
    kContax,     // "ARECOYK" at 25
    kLogitech,   // "PXN"
    kRaf,        // "FUJIFILM"
    kRollei,     // "DSC-Image"
    kMrw,        // "\0MRM"
    kX3f,        // "FOVb"
    kPpm,        // "P6"
    kCr3,        // an ISO base media file of brand "crx " (Canon CR3)
};

// The reader that takes a format's container apart.
enum class Container {
    kNone,
    kPhaseOneDirectory,
    kCiffHeap,
    kTiffDirectory,
    kJpegMarkers,
    kRafHeader,
    kRolleiHeader,
    kMrwBlocks,
    kX3fHeader,
    kPpmHeader,
    kIsoBoxes,
};

// The first bytes of a file, zero beyond its end.
using FileHead = std::array<std::uint8_t, 32>;

struct Probed {
    FileFormat format = FileFormat::kUnknown;
    Container container = Container::kNone;
    std::size_t at = 0;   // where the magic bytes were found
    std::size_t row = 0;  // the table row that matched (the table's size when none did)
};

// The first row of the table, from firstRow on, whose magic bytes the head holds (a format may
// have several rows, one per form of its magic).
Probed probeFormat(const FileHead& head, std::size_t firstRow = 0);

}  // namespace tavrin::formats
