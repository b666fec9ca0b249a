// The container readers of the formats layer on hand-built bytes: what each hands its visitor,
// and that truncated, looping, deeply nested and lying files end the walk without a read outside.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
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

namespace tavrin::formats {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Writer {
    Bytes bytes;
    bool bigEndian = false;

    Writer& u8(unsigned v) {
        bytes.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    Writer& u16(unsigned v) { return bigEndian ? u8(v >> 8).u8(v) : u8(v).u8(v >> 8); }
    Writer& u32(std::uint32_t v) {
        return bigEndian ? u16(v >> 16).u16(v & 0xFFFF) : u16(v & 0xFFFF).u16(v >> 16);
    }
    Writer& text(std::string_view t) {
        bytes.insert(bytes.end(), t.begin(), t.end());
        return *this;
    }
    Writer& zeros(std::size_t n) {
        bytes.resize(bytes.size() + n);
        return *this;
    }
    std::uint32_t size() const { return static_cast<std::uint32_t>(bytes.size()); }
    void put32(std::size_t at, std::uint32_t v) {
        Writer w{{}, bigEndian};
        w.u32(v);
        std::memcpy(&bytes[at], w.bytes.data(), 4);
    }
};

void open(FileReader& file, Bytes bytes, std::uint16_t order = kLittleEndian) {
    file.openMemory(std::move(bytes));
    file.setOrder(order);
}

FileHead headOf(std::string_view text, std::size_t at = 0) {
    FileHead head{};
    std::memcpy(head.data() + at, text.data(), std::min(text.size(), head.size() - at));
    return head;
}

// --- probe -----------------------------------------------------------------------------------

TEST(ProbeTable, eachMagicNamesItsFormatAndReader) {
    struct Case {
        FileHead head;
        FileFormat format;
        Container container;
    };
    const Case cases[] = {
        {headOf("II*\0", 0), FileFormat::Tiff, Container::TiffDirectory},
        {headOf("MM\0*"), FileFormat::Tiff, Container::TiffDirectory},
        {headOf(std::string_view("II\x1a\0\0\0HEAPCCDR", 14)), FileFormat::Ciff,
         Container::CiffHeap},
        {headOf("\xFF\xD8\xFF\xE1\x01\x02"
                "Exif"),
         FileFormat::JpegExif, Container::JpegMarkers},
        {headOf("\xFF\xD8\xFF\xE0"), FileFormat::Jpeg, Container::JpegMarkers},
        {headOf("FUJIFILMCCD-RAW"), FileFormat::Raf, Container::RafHeader},
        {headOf("DSC-Image"), FileFormat::Rollei, Container::RolleiHeader},
        {headOf(std::string_view("\0MRM", 4)), FileFormat::Mrw, Container::MrwBlocks},
        {headOf("FOVb"), FileFormat::X3f, Container::X3fHeader},
        {headOf("P6\n"), FileFormat::Ppm, Container::PpmHeader},
        {headOf("BR"), FileFormat::NucoreRaw, Container::None},
        {headOf("BM"), FileFormat::NucoreBmq, Container::None},
        {headOf("PXN"), FileFormat::Logitech, Container::None},
        {headOf("ARECOYK", 25), FileFormat::Contax, Container::None},
        {headOf("GIF89a"), FileFormat::Unknown, Container::None},
        {FileHead{}, FileFormat::Unknown, Container::None},
    };
    for (const Case& c : cases) {
        const Probed p = probeFormat(c.head);
        EXPECT_EQ(p.format, c.format) << static_cast<int>(c.format);
        EXPECT_EQ(p.container, c.container) << static_cast<int>(c.format);
    }
}

TEST(ProbeTable, phaseOneMarkIsFoundAnywhereInTheHeadAndWinsOverTheByteOrder) {
    const Probed atStart = probeFormat(headOf("MMMMRawT"));
    EXPECT_EQ(atStart.format, FileFormat::PhaseOne);
    EXPECT_EQ(atStart.at, 0u);
    const Probed inside = probeFormat(headOf("IIIITwaR", 24));
    EXPECT_EQ(inside.format, FileFormat::PhaseOne);
    EXPECT_EQ(inside.at, 24u);
    // A mark that does not fit in the head is not there.
    EXPECT_EQ(probeFormat(headOf("IIIITwaR", 25)).format, FileFormat::Unknown);
    // Probing on from the row after gives what the rest of the table says.
    EXPECT_EQ(probeFormat(headOf("MMMMRawT"), atStart.row + 1).format, FileFormat::Tiff);
}

// --- CIFF heap -------------------------------------------------------------------------------

struct CiffRecordSpec {
    unsigned type;
    Bytes data;  // in the heap, or the eight bytes of an in-record value
};

// A heap: the records' data, then the table (count, records), then the table's offset.
Bytes ciffHeap(const std::vector<CiffRecordSpec>& records) {
    Writer w;
    std::vector<std::uint32_t> offsets;
    for (const auto& r : records) {
        offsets.push_back(w.size());
        if ((r.type & kCiffStorageBits) != kCiffInRecord)
            w.bytes.insert(w.bytes.end(), r.data.begin(), r.data.end());
    }
    const std::uint32_t table = w.size();
    w.u16(static_cast<unsigned>(records.size()));
    for (std::size_t i = 0; i < records.size(); ++i) {
        const auto& r = records[i];
        w.u16(r.type);
        if ((r.type & kCiffStorageBits) == kCiffInRecord) {
            Bytes value = r.data;
            value.resize(8);
            w.bytes.insert(w.bytes.end(), value.begin(), value.end());
        } else {
            w.u32(static_cast<std::uint32_t>(r.data.size())).u32(offsets[i]);
        }
    }
    w.u32(table);
    return w.bytes;
}

Bytes withPrefix(std::size_t prefix, const Bytes& heap) {
    Bytes out(prefix, 0);
    out.insert(out.end(), heap.begin(), heap.end());
    return out;
}

std::vector<CiffRecord> walkCiff(const Bytes& bytes, std::uint64_t start, int depth = 0) {
    FileReader file;
    open(file, bytes);
    RecordBudget budget;
    std::vector<CiffRecord> seen;
    walkCiffHeap(file, start, bytes.size() - start, depth, budget, [&](const CiffRecord& r) {
        EXPECT_EQ(file.tell(), r.dataOffset());
        file.seek(0);  // the walk goes on from the table whatever the visitor did
        file.setOrder(kBigEndian);
        seen.push_back(r);
    });
    return seen;
}

TEST(CiffHeap, recordsInTheHeapAndInTheRecordAndSubHeapsInFileOrder) {
    const Bytes inner = ciffHeap({{0x1031, {1, 2, 3, 4, 5, 6}}});
    const Bytes heap = ciffHeap({{0x080A, {'C', 'a', 'n', 'o', 'n', 0}},
                                 {0x300A, inner},
                                 {0x580E, {0x10, 0x20, 0x30, 0x40}}});
    const Bytes file = withPrefix(26, heap);
    const auto seen = walkCiff(file, 26);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].type, 0x080Au);
    EXPECT_EQ(seen[0].dataOffset(), 26u);
    EXPECT_EQ(seen[0].dataSize(), 6u);
    EXPECT_EQ(seen[1].type, 0x1031u);  // the sub-heap's record, before the record behind it
    EXPECT_EQ(seen[1].dataOffset(), 26u + 6u);
    EXPECT_TRUE(seen[2].inRecord());
    EXPECT_EQ(seen[2].kind(), 0x180Eu);
    EXPECT_EQ(seen[2].dataSize(), kCiffInRecordSize);
    EXPECT_EQ(seen[2].size, 0x40302010u);  // the value in place of the size
    EXPECT_EQ(seen[2].dataOffset(), seen[2].entry + 2);
}

TEST(CiffHeap, aHeapWithNoOrTooManyRecordsOrOutsideTheFileIsNotRead) {
    Bytes empty = ciffHeap({});
    EXPECT_TRUE(walkCiff(empty, 0).empty());

    Bytes many = ciffHeap({{0x080A, {1}}});
    const std::uint32_t table = many[many.size() - 4];
    many[table] = static_cast<std::uint8_t>((kMaxCiffRecords + 1) & 0xFF);
    many[table + 1] = static_cast<std::uint8_t>((kMaxCiffRecords + 1) >> 8);
    EXPECT_TRUE(walkCiff(many, 0).empty());

    FileReader file;
    const Bytes heap = ciffHeap({{0x080A, {1}}});
    open(file, heap);
    RecordBudget budget;
    int visits = 0;
    walkCiffHeap(file, 0, heap.size() + 1, 0, budget, [&](const CiffRecord&) { ++visits; });
    walkCiffHeap(file, 0, 3, 0, budget, [&](const CiffRecord&) { ++visits; });
    EXPECT_EQ(visits, 0);
}

TEST(CiffHeap, aTableOffsetOrCountPastTheEndReadsNothingOutside) {
    Bytes heap = ciffHeap({{0x080A, {1, 2}}, {0x1031, {3, 4}}});
    Writer w{heap};
    w.put32(heap.size() - 4, 0xFFFFFFF0u);  // the table far outside
    EXPECT_TRUE(walkCiff(w.bytes, 0).empty());

    // A table claiming three records holds one: the others are read from its own offset word
    // and the end-of-file bytes behind it, and handed over without a read outside.
    Writer cut;
    cut.u8(1).u8(2).u16(3).u16(0x080A).u32(2).u32(0).u32(2);
    const auto seen = walkCiff(cut.bytes, 0);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].type, 0x080Au);
    EXPECT_EQ(seen[0].dataSize(), 2u);
    EXPECT_EQ(seen[2].type, 0xFFFFu);
}

TEST(CiffHeap, nestingStopsAtTheDepthLimitAndCountsTheCallersContainers) {
    Bytes heap = ciffHeap({{0x1031, {7}}});
    for (int level = 0; level < kMaxContainerDepth + 3; ++level)
        heap = ciffHeap({{0x1031, {static_cast<std::uint8_t>(level)}}, {0x300A, heap}});
    const auto top = walkCiff(heap, 0);
    EXPECT_EQ(top.size(), static_cast<std::size_t>(kMaxContainerDepth));
    const auto nested = walkCiff(heap, 0, kMaxContainerDepth - 2);
    EXPECT_EQ(nested.size(), 2u);
}

TEST(CiffHeap, theBudgetEndsAHeapThatHoldsItselfManyTimes) {
    // A table of 1000 records, each a sub-heap that is the whole heap again.
    Writer w;
    w.u16(kMaxCiffRecords);
    for (unsigned i = 0; i < kMaxCiffRecords; ++i)
        w.u16(0x300A).u32(0).u32(0);  // length 0 is patched below
    const std::uint32_t total = w.size() + 4;
    for (unsigned i = 0; i < kMaxCiffRecords; ++i)
        w.put32(2 + 10 * i + 2, total);
    w.u32(0);
    FileReader file;
    open(file, w.bytes);
    RecordBudget budget;
    walkCiffHeap(file, 0, total, 0, budget, [](const CiffRecord&) {});
    EXPECT_FALSE(budget.spend());  // all spent, and the walk came back
}

// --- MRW blocks ------------------------------------------------------------------------------

TEST(MrwBlocks, blocksBeforeTheRawDataAreVisitedAndTheDataOffsetReturned) {
    Writer w{{}, true};
    w.u8(0).text("MRM").u32(0);
    w.u32(kMrwPictureBlock).u32(4).u32(0x01020304);
    w.u32(kMrwWhiteBalanceBlock).u32(2).u16(7);
    w.put32(4, w.size() - 8);
    w.zeros(16);  // raw data
    FileReader file;
    open(file, w.bytes);
    std::vector<MrwBlock> seen;
    const std::uint64_t data = walkMrwBlocks(file, [&](const MrwBlock& b) {
        file.setOrder(kLittleEndian);  // a TTW block's TIFF data may change the order
        file.seek(0);
        seen.push_back(b);
    });
    EXPECT_EQ(data, w.size() - 16u);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].tag, kMrwPictureBlock);
    EXPECT_EQ(seen[0].data, 16u);
    EXPECT_EQ(seen[1].tag, kMrwWhiteBalanceBlock);
    EXPECT_EQ(seen[1].length, 2u);
}

TEST(MrwBlocks, aBlockLengthOrHeaderLengthBeyondTheFileEndsTheWalk) {
    Writer w{{}, true};
    w.u8(0).text("MRM").u32(0xFFFFFFF0u);
    w.u32(kMrwTiffBlock).u32(0xFFFFFFFFu).zeros(4);
    FileReader file;
    open(file, w.bytes);
    int visits = 0;
    walkMrwBlocks(file, [&](const MrwBlock&) { ++visits; });
    EXPECT_EQ(visits, 1);

    FileReader cut;
    open(cut, Bytes{0, 'M', 'R', 'M', 0, 0});
    EXPECT_EQ(walkMrwBlocks(cut, [&](const MrwBlock&) { ++visits; }), 0xFFFFu + 8);
    EXPECT_EQ(visits, 1);
}

// --- RAF header ------------------------------------------------------------------------------

Bytes rafFile(std::uint32_t entries, bool withWhiteBalance) {
    Writer w{{}, true};
    w.text("FUJIFILMCCD-RAW ").zeros(84 - 16);
    w.u32(200).u32(300).u32(120).u32(0).u32(4000);  // JPEG, its length, directory, -, raw data
    w.zeros(120 - w.size());
    w.u32(entries);
    w.u16(0x0100).u16(4).u32(0x11223344);
    if (withWhiteBalance) w.u16(kRafWhiteBalanceTag).u16(8).u16(1).u16(2).u16(3).u16(4);
    return w.bytes;
}

TEST(RafHeader, headerPositionsAndDirectoryEntries) {
    FileReader file;
    open(file, rafFile(2, true), kLittleEndian);
    const RafHeader h = readRafHeader(file);
    EXPECT_EQ(h.jpegOffset, 200u);
    EXPECT_EQ(h.jpegLength, 300u);
    EXPECT_EQ(h.directoryOffset, 120u);
    EXPECT_EQ(h.rawOffset, 4000u);
    std::vector<RafEntry> seen;
    walkRafDirectory(file, h.directoryOffset, [&](const RafEntry& e) {
        if (e.tag == kRafWhiteBalanceTag) {
            EXPECT_EQ(file.readU16(), 1u);
        }
        file.setOrder(kLittleEndian);
        seen.push_back(e);
    });
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].data, 124u + 8u + 4u);
}

TEST(RafHeader, aDirectoryOfNoOrTooManyEntriesOrCutShortIsNotReadPastTheEnd) {
    for (std::uint32_t entries : {0u, kMaxRafEntries + 1}) {
        FileReader file;
        open(file, rafFile(entries, false));
        int visits = 0;
        walkRafDirectory(file, 120, [&](const RafEntry&) { ++visits; });
        EXPECT_EQ(visits, 0) << entries;
    }
    FileReader file;
    open(file, rafFile(kMaxRafEntries, false));
    int visits = 0;
    walkRafDirectory(file, 120, [&](const RafEntry&) { ++visits; });
    EXPECT_EQ(visits, 1);  // the second entry's header is past the end
    FileReader tiny;
    open(tiny, Bytes{'F', 'U', 'J', 'I'});
    EXPECT_EQ(readRafHeader(tiny).directoryOffset,
              0xFFFFFFFFu);  // end-of-file bytes, no read outside
}

// --- X3F header ------------------------------------------------------------------------------

Bytes x3fFile() {
    Writer w;
    w.text("FOVb").u32(0x00020003).zeros(28).u32(90).zeros(248 - 40).u32(2268).u32(1512);
    const std::uint32_t prop = w.size();
    w.text("SECp").zeros(12);
    const std::uint32_t directory = w.size();
    w.text("SECd").u32(0x00020000).u32(3);
    w.u32(prop).u32(16).text("PROP");
    w.u32(0xFFFFFF00u).u32(16).text("IMAG");  // outside the file
    w.u32(prop).u32(16).text("CAMF");         // its mark is "SECp", not "SECc"
    w.u32(directory);
    return w.bytes;
}

TEST(X3fHeader, headerFieldsAndTheDirectoryOfSections) {
    FileReader file;
    const Bytes bytes = x3fFile();
    open(file, bytes, kBigEndian);
    const X3fHeader h = readX3fHeader(file);
    EXPECT_EQ(h.version, 0x00020003u);
    EXPECT_EQ(h.rotation, 90u);
    EXPECT_EQ(h.width, 2268u);
    EXPECT_EQ(h.height, 1512u);
    ASSERT_TRUE(h.directory);
    std::vector<X3fSection> seen;
    std::vector<bool> marked;
    EXPECT_TRUE(walkX3fDirectory(file, *h.directory, [&](const X3fSection& s) {
        seen.push_back(s);
        marked.push_back(x3fSectionMarked(file, s));
    }));
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_TRUE(seen[0].is("PROP"));
    EXPECT_EQ(seen[1].end, seen[0].end + 12);
    EXPECT_EQ(marked, (std::vector<bool>{true, false, false}));
}

TEST(X3fHeader, noDirectoryWithoutItsMarkOrInATinyFile) {
    Bytes bytes = x3fFile();
    Writer w{bytes};
    w.put32(bytes.size() - 4, 8);  // the last word names the header
    FileReader file;
    open(file, w.bytes);
    EXPECT_FALSE(walkX3fDirectory(file, *readX3fHeader(file).directory,
                                  [](const X3fSection&) { ADD_FAILURE(); }));
    FileReader tiny;
    open(tiny, Bytes{'F', 'O', 'V'});
    EXPECT_FALSE(readX3fHeader(tiny).directory);
}

TEST(X3fHeader, aDirectoryClaimingMillionsOfSectionsStopsAtTheLimit) {
    Writer w;
    w.text("SECd").u32(0).u32(0xFFFFFFFFu);
    FileReader file;
    open(file, w.bytes);
    std::uint32_t visits = 0;
    walkX3fDirectory(file, 0, [&](const X3fSection&) { ++visits; });
    EXPECT_EQ(visits, kMaxX3fSections);
}

// --- Rollei header ---------------------------------------------------------------------------

TEST(RolleiHeader, keysAndValuesUpToTheEndMark) {
    FileReader file;
    const std::string text = "DSC-Image\nHDR=512\nX  =1024\nno value here\nEOHD\nTX =9\n";
    open(file, Bytes(text.begin(), text.end()));
    std::vector<std::string> seen;
    EXPECT_TRUE(walkRolleiHeader(
        file, [&](const std::string& k, const std::string& v) { seen.push_back(k + "|" + v); }));
    EXPECT_EQ(seen, (std::vector<std::string>{"HDR|512", "X  |1024"}));
}

TEST(RolleiHeader, aHeaderWithoutEndMarkAndOverlongLinesAreCut) {
    std::string text = "KEY=" + std::string(1000, 'v');  // no newline, no EOHD
    FileReader file;
    open(file, Bytes(text.begin(), text.end()));
    std::string value;
    EXPECT_FALSE(
        walkRolleiHeader(file, [&](const std::string&, const std::string& v) { value = v; }));
    EXPECT_EQ(value.size(), kMaxRolleiLineLength - 4);

    std::string lines;
    for (int i = 0; i < kMaxRolleiLines + 10; ++i)
        lines += "A=1\n";
    open(file, Bytes(lines.begin(), lines.end()));
    int count = 0;
    EXPECT_FALSE(walkRolleiHeader(file, [&](const std::string&, const std::string&) { ++count; }));
    EXPECT_EQ(count, kMaxRolleiLines);
}

// --- Phase One directory ---------------------------------------------------------------------

TEST(PhaseOneDirectory, entriesFromTheHeaderAtItsBase) {
    Writer w;
    w.zeros(4).text("IIIITwaR").u32(16).zeros(0);  // base 4: the directory at base + 16
    w.zeros(20 - w.size());
    w.u32(2).u32(0);
    w.u32(0x108).u32(1).u32(4).u32(7216);
    w.u32(0x10F).u32(1).u32(4).u32(1000);
    FileReader file;
    open(file, w.bytes);
    std::vector<PhaseOneEntry> seen;
    walkPhaseOneDirectory(file, 4, [&](const PhaseOneEntry& e) {
        file.seek(0);
        seen.push_back(e);
    });
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].tag, 0x108u);
    EXPECT_EQ(seen[0].data, 7216u);
    EXPECT_EQ(seen[1].data, 1000u);
}

TEST(PhaseOneDirectory, aCountBeyondTheFileOrTheLimitEndsAtTheEnd) {
    Writer w;
    w.text("IIIITwaR").u32(12).u32(0xFFFFFFFFu).u32(0);
    for (int i = 0; i < 3; ++i)
        w.u32(0x109).u32(1).u32(4).u32(1);
    FileReader file;
    open(file, w.bytes);
    int visits = 0;
    walkPhaseOneDirectory(file, 0, [&](const PhaseOneEntry&) { ++visits; });
    EXPECT_EQ(visits, 3);
    FileReader lying;
    Writer far;
    far.text("IIIITwaR").u32(0xFFFFFF00u);
    open(lying, far.bytes);
    walkPhaseOneDirectory(lying, 0, [&](const PhaseOneEntry&) { ++visits; });
    EXPECT_EQ(visits, 3);
}

// --- Leaf packets ----------------------------------------------------------------------------

Bytes leafPacket(const std::string& name, const Bytes& content) {
    Writer w{{}, true};
    w.text(std::string_view("PKTS\0\0\0\1", 8));
    std::string padded = name;
    padded.resize(40, '\0');
    w.text(padded).u32(static_cast<std::uint32_t>(content.size()));
    w.bytes.insert(w.bytes.end(), content.begin(), content.end());
    return w.bytes;
}

std::vector<std::string> leafNames(const Bytes& bytes, std::uint64_t offset, int depth = 0) {
    FileReader file;
    open(file, bytes, kBigEndian);
    RecordBudget budget;
    std::vector<std::string> names;
    walkLeafPackets(file, offset, depth, budget, [&](const LeafPacket& p) {
        EXPECT_EQ(file.tell(), p.content);
        file.seek(0);
        names.push_back(p.name);
    });
    return names;
}

TEST(LeafPackets, nestedChainsDepthFirstAndOnlyInsidePacketsLargerThanEightBytes) {
    Bytes inner = leafPacket("NeutObj_neutrals", {'1', ' ', '2'});
    Bytes outer = leafPacket("CaptProf", inner);
    const Bytes small = leafPacket("Small", {'P', 'K', 'T', 'S', 0, 0, 0, 0});
    outer.insert(outer.end(), small.begin(), small.end());
    const Bytes tail = leafPacket("JPEG_preview_data", {0xFF, 0xD8});
    outer.insert(outer.end(), tail.begin(), tail.end());
    Bytes file(8, 0);
    file.insert(file.end(), outer.begin(), outer.end());
    EXPECT_EQ(leafNames(file, 8), (std::vector<std::string>{"CaptProf", "NeutObj_neutrals", "Small",
                                                            "JPEG_preview_data"}));
    EXPECT_TRUE(leafNames(file, file.size()).empty());
}

TEST(LeafPackets, deepNestingStopsAtTheLimitAndACutPacketEndsTheChain) {
    Bytes packet = leafPacket("Deepest", {1, 2, 3, 4, 5, 6, 7, 8, 9});
    for (int level = 0; level < kMaxContainerDepth + 4; ++level)
        packet = leafPacket("Level", packet);
    EXPECT_EQ(leafNames(packet, 0).size(), static_cast<std::size_t>(kMaxContainerDepth));
    EXPECT_EQ(leafNames(packet, 0, kMaxContainerDepth - 1).size(), 1u);

    Bytes cut = leafPacket("Cut", Bytes(100, 0));
    cut.resize(30);
    EXPECT_EQ(leafNames(cut, 0), (std::vector<std::string>{"Cut"}));  // nothing behind it
}

// --- JPEG markers ----------------------------------------------------------------------------

Writer jpegStart() {
    Writer w{{}, true};
    w.u8(0xFF).u8(0xD8);
    return w;
}

TEST(JpegMarkers, segmentsFillBytesAndStandAloneMarkersUpToTheScan) {
    Writer w = jpegStart();
    w.u8(0xFF).u8(0xE1).u16(6).text("Exif");
    w.u8(0xFF).u8(0xFF).u8(0xDB).u16(3).u8(0);  // fill byte before DQT
    w.u8(0xFF).u8(0xD0);                        // stand-alone
    w.u8(0xFF).u8(0xC0).u16(11).u8(8).u16(30).u16(40).zeros(4);
    w.u8(0xFF).u8(0xDA).u16(2);
    w.u8(0xFF).u8(0xE2).u16(2);  // behind the scan: never reached
    FileReader file;
    open(file, w.bytes);
    std::vector<int> markers;
    EXPECT_TRUE(walkJpegMarkers(file, 0, [&](const JpegSegment& s) {
        markers.push_back(s.marker);
        if (s.marker == 0xE1) {
            EXPECT_EQ(s.payload, 6u);
            EXPECT_EQ(s.length, 4u);
        }
        if (s.marker == 0xD0) {
            EXPECT_EQ(s.length, 0u);
        }
        file.seek(0);
        return true;
    }));
    EXPECT_EQ(markers, (std::vector<int>{0xE1, 0xDB, 0xD0, 0xC0}));
    const auto size = readJpegFrameSize(file);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 40);
    EXPECT_EQ(size->height, 30);
}

TEST(JpegMarkers, noSoiAShortLengthAVisitorsStopAndTheSegmentLimitEndTheWalk) {
    FileReader file;
    open(file, Bytes{0xFF, 0xD9});
    EXPECT_FALSE(walkJpegMarkers(file, 0, [](const JpegSegment&) { return true; }));

    Writer shortLength = jpegStart();
    shortLength.u8(0xFF).u8(0xE0).u16(1).u8(0xFF).u8(0xC0).u16(11).u8(8).u16(1).u16(1);
    open(file, shortLength.bytes);
    EXPECT_FALSE(readJpegFrameSize(file));

    Writer many = jpegStart();
    for (int i = 0; i < kMaxJpegSegments + 5; ++i)
        many.u8(0xFF).u8(0xFE).u16(2);
    open(file, many.bytes);
    int count = 0;
    walkJpegMarkers(file, 0, [&](const JpegSegment&) { return ++count < 3; });
    EXPECT_EQ(count, 3);
    count = 0;
    walkJpegMarkers(file, 0, [&](const JpegSegment&) { return ++count > 0; });
    EXPECT_EQ(count, kMaxJpegSegments);

    Writer zeroSize = jpegStart();
    zeroSize.u8(0xFF).u8(0xC0).u16(11).u8(8).u16(0).u16(40);
    open(file, zeroSize.bytes);
    EXPECT_FALSE(readJpegFrameSize(file));
    Writer cut = jpegStart();
    cut.u8(0xFF).u8(0xC0).u16(11).u8(8);
    open(file, cut.bytes);
    EXPECT_FALSE(readJpegFrameSize(file));
}

TEST(JpegMarkers, exifTiffOnlyWhenTheAppSegmentStandsAlone) {
    Writer alone = jpegStart();
    alone.u8(0xFF).u8(0xE1).u16(8).text("Exif").u16(0).u8(0x00);
    FileReader file;
    open(file, alone.bytes, kLittleEndian);
    EXPECT_EQ(standaloneExifTiff(file), std::optional<std::uint64_t>(12));
    EXPECT_EQ(file.order(), kBigEndian);
    Writer followed = jpegStart();
    followed.u8(0xFF).u8(0xE1).u16(8).text("Exif").u16(0).u8(0xFF).u8(0xDB);
    open(file, followed.bytes);
    EXPECT_FALSE(standaloneExifTiff(file));
}

// --- PPM header ------------------------------------------------------------------------------

TEST(PpmHeader, numbersCommentsAndAMissingNumber) {
    const std::string text = "P6 # a comment\n640\t480\n# another\n65535\nxyz";
    FileReader file;
    open(file, Bytes(text.begin(), text.end()));
    const auto h = readPpmHeader(file);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->width, 640);
    EXPECT_EQ(h->height, 480);
    EXPECT_EQ(h->maxValue, 65535);
    EXPECT_EQ(h->pixelOffset, text.size() - 3);
    const std::string cut = "P6 640 48";
    open(file, Bytes(cut.begin(), cut.end()));
    EXPECT_FALSE(readPpmHeader(file));
}

}  // namespace
}  // namespace tavrin::formats
