#pragma once
// What kind of file a file is, by the magic bytes at its start: one table, probed in order.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tavrin::formats {

enum class FileFormat {
    Unknown,
    PhaseOne,   // "MMMMRawT" / "IIIITwaR" in the first 32 bytes
    Ciff,       // Canon CRW: a byte-order mark and "HEAPCCDR"
    Tiff,       // a byte-order mark: TIFF and the raw formats built on it
    JpegExif,   // JPEG whose first segment is APP1 "Exif"
    Jpeg,       // any other JPEG
    NucoreRaw,  // "BR"
    NucoreBmq,  // "BM"
    Contax,     // "ARECOYK" at 25
    Logitech,   // "PXN"
    Raf,        // "FUJIFILM"
    Rollei,     // "DSC-Image"
    Mrw,        // "\0MRM"
    X3f,        // "FOVb"
    Ppm,        // "P6"
    Cr3,        // an ISO base media file of brand "crx " (Canon CR3)
};

// The reader that takes a format's container apart.
enum class Container {
    None,
    PhaseOneDirectory,
    CiffHeap,
    TiffDirectory,
    JpegMarkers,
    RafHeader,
    RolleiHeader,
    MrwBlocks,
    X3fHeader,
    PpmHeader,
    IsoBoxes,
};

// The first bytes of a file, zero beyond its end.
using FileHead = std::array<std::uint8_t, 32>;

struct Probed {
    FileFormat format = FileFormat::Unknown;
    Container container = Container::None;
    std::size_t at = 0;   // where the magic bytes were found
    std::size_t row = 0;  // the table row that matched (the table's size when none did)
};

// The first row of the table, from firstRow on, whose magic bytes the head holds (a format may
// have several rows, one per form of its magic).
Probed probeFormat(const FileHead& head, std::size_t firstRow = 0);

}  // namespace tavrin::formats
