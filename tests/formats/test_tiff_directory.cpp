#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "formats/file_reader.hpp"
#include "formats/tiff_directory.hpp"
#include "formats/tiff_tags.hpp"

namespace tavrin::formats {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Little-endian TIFF bytes written by hand, so that tests can place directories anywhere,
// including where no writer would.
class TiffBytes {
  public:
    TiffBytes() { bytes_ = {'I', 'I', 42, 0, 0, 0, 0, 0}; }

    std::uint32_t size() const { return static_cast<std::uint32_t>(bytes_.size()); }
    void setFirst(std::uint32_t offset) { put32At(4, offset); }

    struct Field {
        std::uint16_t tag, type;
        std::uint32_t count, value;
    };
    // A directory at the end of the bytes; returns its offset.
    std::uint32_t directory(const std::vector<Field>& fields, std::uint32_t next = 0) {
        const std::uint32_t at = size();
        put16(static_cast<std::uint16_t>(fields.size()));
        for (const Field& f : fields) {
            put16(f.tag);
            put16(f.type);
            put32(f.count);
            put32(f.value);
        }
        put32(next);
        return at;
    }
    // Bytes at the end; returns their offset.
    std::uint32_t data(const Bytes& values) {
        const std::uint32_t at = size();
        bytes_.insert(bytes_.end(), values.begin(), values.end());
        return at;
    }
    void put16(std::uint16_t v) {
        bytes_.push_back(static_cast<std::uint8_t>(v));
        bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void put32(std::uint32_t v) {
        put16(static_cast<std::uint16_t>(v));
        put16(static_cast<std::uint16_t>(v >> 16));
    }
    void put32At(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes_[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    void truncate(std::size_t n) { bytes_.resize(n); }
    const Bytes& bytes() const { return bytes_; }

  private:
    Bytes bytes_;
};

struct Seen {
    std::uint16_t tag;
    TiffDirectoryKind kind;
    int depth;
    std::uint64_t directory;
    std::uint32_t field;
    bool inlineValue;
    std::uint64_t valueAt;
    bool valueInFile;
    std::uint32_t firstValue;  // a 32-bit read where the file stands (inside the file only)
};

// Records every entry; follows sub-IFD and EXIF pointers as a user of the reader would.
class Recorder : public TiffVisitor {
  public:
    void beginDirectory(const TiffDirectory& d) override { begun.push_back(d.offset); }
    void visitEntry(TiffDirectoryReader& reader, const TiffEntry& e) override {
        FileReader& f = reader.file();
        const std::uint32_t first = e.valueInFile ? f.readU32() : 0;
        f.seek(e.valueAt);
        seen.push_back({e.tag, e.directory->kind, e.directory->depth, e.directory->offset, e.field,
                        e.inlineValue, e.valueAt, e.valueInFile, first});
        if (e.tag == kTagSubIfds) {
            for (std::uint32_t i = 0; i < e.count && i < 16; ++i) {
                f.seek(e.valueAt + 4 * i);
                results.push_back(reader.walkDirectory(
                    e.directory->base + f.readU32(), e.directory->base, TiffDirectoryKind::SubImage,
                    e.directory->depth + 1, *this));
            }
        }
        if (e.tag == kTagExifIfd) {
            results.push_back(reader.walkDirectory(e.directory->base + e.field, e.directory->base,
                                                   TiffDirectoryKind::Exif, e.directory->depth + 1,
                                                   *this));
        }
        f.seek(0);  // the walker reads on from its own positions
    }
    void endDirectory(const TiffDirectory& d) override { ended.push_back(d.offset); }

    std::vector<std::uint64_t> begun, ended;
    std::vector<Seen> seen;
    std::vector<TiffWalk> results;
};

class TiffDirectoryTest : public ::testing::Test {
  protected:
    // Walks the chain of bytes from their header.
    void walk(const Bytes& bytes) {
        file.openMemory(bytes);
        TiffDirectoryReader reader(file);
        const auto first = reader.readHeader(0);
        ASSERT_TRUE(first.has_value());
        reader.walkChain(0, *first, recorder);
    }
    std::vector<std::uint16_t> tags() const {
        std::vector<std::uint16_t> out;
        for (const Seen& s : recorder.seen)
            out.push_back(s.tag);
        return out;
    }

    FileReader file;
    Recorder recorder;
};

TEST_F(TiffDirectoryTest, aChainIsWalkedInOrderWithInlineAndOutOfLineValues) {
    TiffBytes t;
    const std::uint32_t text = t.data({'C', 'a', 'n', 'o', 'n', 0});
    const std::uint32_t second = t.directory({{kTagModel, 2, 6, text}});
    t.setFirst(t.directory({{kTagImageWidth, 3, 1, 640}, {kTagMake, 2, 4, 0x41424344}}, second));
    walk(t.bytes());
    ASSERT_EQ(tags(), (std::vector<std::uint16_t>{kTagImageWidth, kTagMake, kTagModel}));
    const Seen& width = recorder.seen[0];
    EXPECT_TRUE(width.inlineValue);
    EXPECT_EQ(width.field, 640u);
    EXPECT_EQ(width.kind, TiffDirectoryKind::Image);
    EXPECT_EQ(width.depth, 0);
    // Four bytes of text stay in the field; six lie where the field points.
    EXPECT_TRUE(recorder.seen[1].inlineValue);
    EXPECT_EQ(recorder.seen[1].firstValue, 0x41424344u);
    EXPECT_FALSE(recorder.seen[2].inlineValue);
    EXPECT_EQ(recorder.seen[2].valueAt, text);
    EXPECT_EQ(recorder.seen[2].firstValue, 0x6F6E6143u);  // "Cano"
    EXPECT_EQ(recorder.begun, recorder.ended);
    EXPECT_EQ(recorder.begun.size(), 2u);
}

TEST_F(TiffDirectoryTest, bigEndianFilesAndHeadersThatAreNoTiff) {
    const Bytes big = {'M', 'M', 0, 42, 0, 0,   0,   8,   0, 1, 0x01, 0x0F, 0,
                       2,   0,   0, 0,  4, 'N', 'i', 'k', 0, 0, 0,    0,    0};
    walk(big);
    ASSERT_EQ(tags(), (std::vector<std::uint16_t>{kTagMake}));
    EXPECT_EQ(recorder.seen[0].firstValue, 0x4E696B00u);

    FileReader other;
    other.openMemory({'X', 'X', 42, 0, 8, 0, 0, 0});
    TiffDirectoryReader reader(other);
    EXPECT_FALSE(reader.readHeader(0).has_value());
    other.openMemory({'I'});
    EXPECT_FALSE(reader.readHeader(0).has_value());
}

TEST_F(TiffDirectoryTest, subDirectoriesAndTheExifDirectoryAreWalkedOnlyWhenTheVisitorAsks) {
    TiffBytes t;
    const std::uint32_t exif = t.directory({{kTagExposureTime, 3, 1, 1}});
    const std::uint32_t subA = t.directory({{kTagImageWidth, 4, 1, 4000}});
    const std::uint32_t subB = t.directory({{kTagImageHeight, 4, 1, 3000}});
    const std::uint32_t list = t.data({0, 0, 0, 0, 0, 0, 0, 0});
    t.put32At(list, subA);
    t.put32At(list + 4, subB);
    t.setFirst(t.directory({{kTagSubIfds, 4, 2, list}, {kTagExifIfd, 4, 1, exif}}));
    walk(t.bytes());
    ASSERT_EQ(tags(), (std::vector<std::uint16_t>{kTagSubIfds, kTagImageWidth, kTagImageHeight,
                                                  kTagExifIfd, kTagExposureTime}));
    EXPECT_EQ(recorder.seen[1].kind, TiffDirectoryKind::SubImage);
    EXPECT_EQ(recorder.seen[1].depth, 1);
    EXPECT_EQ(recorder.seen[4].kind, TiffDirectoryKind::Exif);
    EXPECT_EQ(recorder.seen[4].depth, 1);

    // A visitor that follows nothing sees the top level only.
    struct TopOnly : TiffVisitor {
        void visitEntry(TiffDirectoryReader&, const TiffEntry&) override { ++entries; }
        int entries = 0;
    } top;
    FileReader f;
    f.openMemory(t.bytes());
    TiffDirectoryReader reader(f);
    reader.walkChain(0, *reader.readHeader(0), top);
    EXPECT_EQ(top.entries, 2);
}

TEST_F(TiffDirectoryTest, loopsInTheChainAndBetweenDirectoriesAreWalkedOnce) {
    TiffBytes t;
    // IFD0 -> IFD1 -> IFD0, and IFD1 names IFD0 and itself as its sub-IFDs.
    const std::uint32_t list = t.data({0, 0, 0, 0, 0, 0, 0, 0});
    const std::uint32_t ifd0 = t.directory({{kTagMake, 2, 1, 0}});
    const std::uint32_t ifd1 = t.directory({{kTagSubIfds, 4, 2, list}}, ifd0);
    t.put32At(ifd0 + 2 + 12, ifd1);  // IFD0's link
    t.put32At(list, ifd0);
    t.put32At(list + 4, ifd1);
    t.setFirst(ifd0);
    walk(t.bytes());
    EXPECT_EQ(tags(), (std::vector<std::uint16_t>{kTagMake, kTagSubIfds}));
    EXPECT_EQ(recorder.results, (std::vector<TiffWalk>{TiffWalk::Refused, TiffWalk::Refused}));
}

TEST_F(TiffDirectoryTest, valuesAndDirectoriesOutsideTheFileAreFlaggedOrRefused) {
    TiffBytes t;
    const std::uint32_t list = t.data({0xF0, 0xFF, 0xFF, 0x7F});
    t.setFirst(t.directory({
        {kTagModel, 2, 100, 0xFFFFFFF0},          // text far past the end
        {kTagStripOffsets, 4, 0xFFFFFFFF, 0x20},  // a count whose byte size overflows 32 bits
        {kTagSubIfds, 4, 1, 0x7FFFFFF0},          // a sub-IFD past the end
        {kTagExifIfd, 4, 1, list},  // the EXIF directory inside, at the offset's bytes
    }));
    walk(t.bytes());
    ASSERT_EQ(recorder.seen.size(), 4u);
    EXPECT_FALSE(recorder.seen[0].valueInFile);
    EXPECT_EQ(recorder.seen[0].valueAt, 0xFFFFFFF0u);
    EXPECT_FALSE(recorder.seen[1].inlineValue);
    EXPECT_TRUE(recorder.seen[1].valueInFile);
    EXPECT_EQ(recorder.seen[1].valueAt, 0x20u);
    ASSERT_EQ(recorder.results.size(), 2u);
    EXPECT_EQ(recorder.results[0], TiffWalk::Refused);
    // The bytes at list claim 0xFFF0 entries: far more than a directory may hold.
    EXPECT_EQ(recorder.results[1], TiffWalk::Refused);
}

TEST_F(TiffDirectoryTest, aDirectoryOfMoreThanTheLimitOfEntriesIsNoDirectory) {
    for (const unsigned count : {kMaxTiffEntries, kMaxTiffEntries + 1}) {
        TiffBytes t;
        std::vector<TiffBytes::Field> fields(count, {kTagMake, 2, 1, 0});
        t.setFirst(t.directory(fields));
        recorder = {};
        walk(t.bytes());
        EXPECT_EQ(recorder.seen.size(), count == kMaxTiffEntries ? count : 0u) << count;
        EXPECT_EQ(recorder.begun.size(), count == kMaxTiffEntries ? 1u : 0u) << count;
    }
}

TEST_F(TiffDirectoryTest, aDirectoryCutShortHandsOutTheEntriesThatStartInsideTheFile) {
    TiffBytes t;
    t.setFirst(
        t.directory({{kTagImageWidth, 3, 1, 1}, {kTagImageHeight, 3, 1, 2}, {kTagMake, 2, 1, 0}}));
    t.truncate(8 + 2 + 12 + 5);  // the second entry loses its last bytes, the third is gone
    walk(t.bytes());
    EXPECT_EQ(tags(), (std::vector<std::uint16_t>{kTagImageWidth, kTagImageHeight}));
    EXPECT_FALSE(recorder.seen[1].valueInFile);
}

TEST_F(TiffDirectoryTest, nestingStopsAtTheDepthLimit) {
    // Each directory names the next as its only sub-IFD.
    TiffBytes t;
    constexpr int kLevels = kMaxTiffDepth + 4;
    std::vector<std::uint32_t> at;
    for (int i = 0; i < kLevels; ++i)
        at.push_back(t.directory({{kTagSubIfds, 4, 1, 0}}));
    for (int i = 0; i + 1 < kLevels; ++i)
        t.put32At(at[i] + 2 + 8, at[i + 1]);
    t.setFirst(at[0]);
    walk(t.bytes());
    EXPECT_EQ(recorder.seen.size(), static_cast<std::size_t>(kMaxTiffDepth + 1));
    EXPECT_EQ(recorder.seen.back().depth, kMaxTiffDepth);
    EXPECT_EQ(recorder.results.front(), TiffWalk::Refused);  // the innermost walk ends first
}

TEST_F(TiffDirectoryTest, oneFileHandsOutAtMostItsBudgetOfEntries) {
    TiffBytes t;
    const unsigned directories = kMaxTiffEntriesPerFile / kMaxTiffEntries + 2;
    std::vector<std::uint32_t> at;
    const std::vector<TiffBytes::Field> fields(kMaxTiffEntries, {kTagMake, 2, 1, 0});
    for (unsigned i = 0; i < directories; ++i)
        at.push_back(t.directory(fields));
    for (unsigned i = 0; i + 1 < directories; ++i)
        t.put32At(at[i] + 2 + 12 * kMaxTiffEntries, at[i + 1]);
    t.setFirst(at[0]);
    struct Counter : TiffVisitor {
        void visitEntry(TiffDirectoryReader&, const TiffEntry&) override { ++entries; }
        unsigned entries = 0;
    } counter;
    file.openMemory(t.bytes());
    TiffDirectoryReader reader(file);
    reader.walkChain(0, *reader.readHeader(0), counter);
    EXPECT_EQ(counter.entries, kMaxTiffEntriesPerFile);
}

TEST_F(TiffDirectoryTest, aWalkLeavesPositionAndByteOrderAsTheyWere) {
    TiffBytes t;
    const std::uint32_t ifd = t.directory({{kTagMake, 2, 1, 0}, {kTagMake, 2, 1, 0}});
    file.openMemory(t.bytes());
    TiffDirectoryReader reader(file);
    // A visitor that turns the byte order for the rest of its directory, as some notes need.
    struct Turner : TiffVisitor {
        void visitEntry(TiffDirectoryReader& r, const TiffEntry& e) override {
            tags.push_back(e.tag);
            kind = e.directory->kind;
            depth = e.directory->depth;
            r.file().setOrder(kBigEndian);
        }
        std::vector<std::uint16_t> tags;
        TiffDirectoryKind kind = TiffDirectoryKind::Image;
        int depth = 0;
    } turner;
    file.setOrder(kLittleEndian);
    file.seek(3);
    EXPECT_EQ(reader.walkDirectory(ifd, 0, TiffDirectoryKind::MakerNote, 2, turner),
              TiffWalk::Walked);
    EXPECT_EQ(file.tell(), 3u);
    EXPECT_EQ(file.order(), kLittleEndian);
    EXPECT_EQ(turner.tags, (std::vector<std::uint16_t>{kTagMake, 0x0F01}));
    EXPECT_EQ(turner.kind, TiffDirectoryKind::MakerNote);
    EXPECT_EQ(turner.depth, 2);
    // The same directory again, or one past the end, is refused.
    EXPECT_EQ(reader.walkDirectory(ifd, 0, TiffDirectoryKind::Image, 0, recorder),
              TiffWalk::Refused);
    EXPECT_EQ(reader.walkDirectory(t.size(), 0, TiffDirectoryKind::Image, 0, recorder),
              TiffWalk::Refused);
}

}  // namespace
}  // namespace tavrin::formats
