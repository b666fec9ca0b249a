// The probe table and every container reader of the formats layer over any bytes: each reader
// from the start of the file and from where the file's own words point, with visitors that read
// what the real users read. A record handed over must lie where the walk found it.

#include <cstdint>
#include <vector>

#include "formats/ciff_heap.hpp"
#include "formats/jpeg_markers.hpp"
#include "formats/leaf_packets.hpp"
#include "formats/mrw_blocks.hpp"
#include "formats/phase_one_directory.hpp"
#include "formats/ppm_header.hpp"
#include "formats/probe.hpp"
#include "formats/raf_header.hpp"
#include "formats/rollei_header.hpp"
#include "formats/x3f_header.hpp"

using namespace tavrin::formats;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FileReader f;
    f.openMemory(std::vector<std::uint8_t>(data, data + size));
    FileHead head{};
    f.read(head.data(), head.size());
    const Probed probed = probeFormat(head);
    if (probed.format != FileFormat::Unknown && probed.at + 4 > head.size()) __builtin_trap();
    f.setOrder(head[0] == 'M' ? kBigEndian : kLittleEndian);

    RecordBudget budget;
    f.seek(2);
    const std::uint32_t heap = f.readU32();
    if (heap < f.size()) {
        walkCiffHeap(f, heap, f.size() - heap, 0, budget, [&](const CiffRecord& r) {
            if (r.inRecord() && r.dataSize() != kCiffInRecordSize) __builtin_trap();
            f.readU32();
        });
    }
    walkMrwBlocks(f, [&](const MrwBlock& b) {
        if (f.tell() != b.data) __builtin_trap();
        f.readU16();
    });
    const RafHeader raf = readRafHeader(f);
    walkRafDirectory(f, raf.directoryOffset, [&](const RafEntry&) { f.readU16(); });
    const X3fHeader x3f = readX3fHeader(f);
    if (x3f.directory) {
        walkX3fDirectory(f, *x3f.directory, [&](const X3fSection& s) {
            if (x3fSectionMarked(f, s) && s.offset + s.length > f.size()) __builtin_trap();
        });
    }
    walkRolleiHeader(f, [](const std::string& key, const std::string& value) {
        if (key.size() + value.size() >= kMaxRolleiLineLength) __builtin_trap();
    });
    walkPhaseOneDirectory(f, probed.format == FileFormat::PhaseOne ? probed.at : 0,
                          [&](const PhaseOneEntry&) {});
    for (const std::uint64_t at : {std::uint64_t{8}, std::uint64_t{3472}})
        walkLeafPackets(f, at, 0, budget, [&](const LeafPacket& p) { f.skip(p.size); });
    walkJpegMarkers(f, 0, [&](const JpegSegment& s) {
        if (s.length) f.readU32();
        return true;
    });
    standaloneExifTiff(f);
    if (const auto frame = readJpegFrameSize(f); frame && (frame->width <= 0 || frame->height <= 0))
        __builtin_trap();
    readPpmHeader(f);
    return 0;
}
