#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "formats/isobmff_boxes.hpp"
#include "tests/fixtures/fixture_writer.hpp"
#include "tests/support/samples.hpp"

namespace tavrin::formats {
namespace {

using fixtures::Bytes;
using fixtures::isoBox;

std::optional<Cr3Layout> layoutOf(const Bytes& bytes) {
    FileReader reader;
    reader.openMemory(bytes);
    return readCr3Layout(reader);
}

Bytes bytesAt(const Bytes& file, ByteRange range) {
    return Bytes(file.begin() + static_cast<std::ptrdiff_t>(range.offset),
                 file.begin() + static_cast<std::ptrdiff_t>(range.offset + range.length));
}

void append(Bytes& out, const Bytes& more) {
    out.reserve(out.size() + more.size());
    std::copy(more.begin(), more.end(), std::back_inserter(out));
}

const Bytes kFtyp = {0, 0, 0, 16, 'f', 't', 'y', 'p', 'c', 'r', 'x', ' ', 0, 0, 0, 1};

// The ftyp box, then boxes.
Bytes cr3Of(const Bytes& boxes) {
    Bytes file = kFtyp;
    append(file, boxes);
    return file;
}

Bytes canonUuid(const Bytes& children) {
    Bytes payload = {0x85, 0xC0, 0xB6, 0x87, 0x82, 0x0F, 0x11, 0xE0,
                     0x81, 0x11, 0xF4, 0xCE, 0x46, 0x2B, 0x6A, 0x48};
    append(payload, children);
    return isoBox("uuid", payload);
}

Bytes metadataBlock(char fill) {
    return Bytes(40, static_cast<std::uint8_t>(fill));
}

TEST(IsoBaseMediaBoxes, findsEveryPartOfAWrittenCr3) {
    fixtures::Cr3Content content;
    content.ifd0 = metadataBlock('1');
    content.exif = metadataBlock('2');
    content.makerNotes = metadataBlock('3');
    content.gps = metadataBlock('4');
    content.thumbnail = fixtures::jpeg(16, 12);
    content.preview = fixtures::jpeg(64, 48);
    const Bytes file = fixtures::cr3(content);
    const auto layout = layoutOf(file);
    ASSERT_TRUE(layout);
    EXPECT_EQ(bytesAt(file, layout->preview), content.preview);
    EXPECT_EQ(bytesAt(file, layout->thumbnail), content.thumbnail);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(bytesAt(file, layout->metadata[i]), metadataBlock(static_cast<char>('1' + i)));
}

TEST(IsoBaseMediaBoxes, otherFilesAreNoCr3) {
    EXPECT_FALSE(layoutOf({}));
    EXPECT_FALSE(layoutOf({0, 0, 0, 16, 'f', 't', 'y', 'p', 'i', 's', 'o', 'm', 0, 0, 0, 1}));
    EXPECT_FALSE(layoutOf({'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(isCr3(kFtyp));
}

TEST(IsoBaseMediaBoxes, largeSizesAndSizeZeroReachTheirEnd) {
    // moov with a 64-bit size, its metadata box with size 0 (to the end of moov).
    Bytes cmt = {0, 0, 0, 0, 'C', 'M', 'T', '1'};
    append(cmt, metadataBlock('1'));
    const Bytes uuid = canonUuid(cmt);
    Bytes moov = {0, 0, 0, 1, 'm', 'o', 'o', 'v', 0, 0, 0, 0, 0, 0, 0, 0};
    moov[15] = static_cast<std::uint8_t>(16 + uuid.size());
    append(moov, uuid);
    const Bytes file = cr3Of(moov);
    const auto layout = layoutOf(file);
    ASSERT_TRUE(layout);
    EXPECT_EQ(bytesAt(file, layout->metadata[0]), metadataBlock('1'));
}

TEST(IsoBaseMediaBoxes, hostileSizesEndTheirLevelAndKeepWhatCameBefore) {
    const Bytes good = isoBox("CMT1", metadataBlock('1'));
    struct Case {
        const char* name;
        Bytes box;
    };
    Bytes pastParent = isoBox("CMT2", metadataBlock('2'));
    pastParent[3] = 0xF0;  // runs past the uuid box, though not past the file
    Bytes tooSmall = isoBox("CMT2", metadataBlock('2'));
    tooSmall[3] = 4;  // shorter than its own header
    Bytes largeTooSmall = {0, 0, 0, 1, 'C', 'M', 'T', '2', 0, 0, 0, 0, 0, 0, 0, 8};
    Bytes largePastFile = {0, 0, 0, 1, 'C', 'M', 'T', '2', 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
    Bytes cutHeader = {0, 0, 0, 1, 'C', 'M', 'T', '2', 0};
    for (const Case& c :
         {Case{"past its parent", pastParent}, Case{"below its header", tooSmall},
          Case{"64-bit size below its header", largeTooSmall},
          Case{"64-bit size past the file", largePastFile}, Case{"header cut", cutHeader}}) {
        Bytes children = good;
        append(children, c.box);
        append(children, isoBox("CMT3", metadataBlock('3')));
        Bytes file = cr3Of(isoBox("moov", canonUuid(children)));
        append(file, Bytes(300, 0));  // room for a box that runs past its parent only
        const auto layout = layoutOf(file);
        ASSERT_TRUE(layout) << c.name;
        EXPECT_EQ(bytesAt(file, layout->metadata[0]), metadataBlock('1')) << c.name;
        EXPECT_TRUE(layout->metadata[1].empty()) << c.name;
        EXPECT_TRUE(layout->metadata[2].empty()) << c.name;
    }
    // A top-level box past the end of the file.
    Bytes file = cr3Of(isoBox("moov", canonUuid(good)));
    file[19] += 1;
    ASSERT_TRUE(layoutOf(file));
    EXPECT_TRUE(layoutOf(file)->metadata[0].empty());
}

TEST(IsoBaseMediaBoxes, nestingDeeperThanAnyRealFileIsNotEntered) {
    auto nested = [](int levels) {
        Bytes inner = isoBox("CMT1", metadataBlock('1'));
        for (int i = 0; i < levels; ++i)
            inner = isoBox("moov", inner);
        return cr3Of(inner);
    };
    EXPECT_FALSE(layoutOf(nested(kMaxBoxDepth))->metadata[0].empty());
    EXPECT_TRUE(layoutOf(nested(kMaxBoxDepth + 1))->metadata[0].empty());
    // Thousands of levels end without running out of stack.
    EXPECT_TRUE(layoutOf(nested(5000))->metadata[0].empty());
}

TEST(IsoBaseMediaBoxes, manyEmptyBoxesEndTheWalk) {
    Bytes boxes;
    for (int i = 0; i < 100000; ++i)
        append(boxes, isoBox("free", {}));
    append(boxes, isoBox("moov", canonUuid(isoBox("CMT1", metadataBlock('1')))));
    const auto layout = layoutOf(cr3Of(boxes));
    ASSERT_TRUE(layout);
    EXPECT_TRUE(layout->metadata[0].empty());
}

TEST(IsoBaseMediaBoxes, aPictureBoxWithoutItsJpegGivesNoPicture) {
    const Bytes jpeg = fixtures::jpeg(16, 12);
    auto withThumbnail = [](const Bytes& box) { return cr3Of(isoBox("moov", canonUuid(box))); };
    EXPECT_FALSE(
        layoutOf(withThumbnail(fixtures::cr3PictureBox("THMB", jpeg, 16, 12)))->thumbnail.empty());

    Bytes notJpeg = fixtures::cr3PictureBox("THMB", Bytes(jpeg.size(), 0x20), 16, 12);
    EXPECT_TRUE(layoutOf(withThumbnail(notJpeg))->thumbnail.empty());

    Bytes longer = fixtures::cr3PictureBox("THMB", jpeg, 16, 12);
    longer[8 + 8 + 3] += 1;  // one byte more than the box holds
    EXPECT_TRUE(layoutOf(withThumbnail(longer))->thumbnail.empty());

    Bytes headerOnly = fixtures::isoBox("THMB", Bytes(10, 0));
    EXPECT_TRUE(layoutOf(withThumbnail(headerOnly))->thumbnail.empty());

    // A PRVW box holding no JPEG, as the sample file's placeholder.
    fixtures::Cr3Content content;
    content.preview = Bytes(200, 'x');
    EXPECT_TRUE(layoutOf(fixtures::cr3(content))->preview.empty());
}

TEST(IsoBaseMediaBoxes, theCanonSampleHoldsItsMetadataAndNoPicture) {
    const auto path = test::sample("exiftool/CanonRaw.cr3");
    TAVRIN_REQUIRE_SAMPLE(path);
    FileReader reader;
    ASSERT_FALSE(reader.open(path));
    const auto layout = readCr3Layout(reader);
    ASSERT_TRUE(layout);
    // Where `exiftool -v3` shows the boxes.
    EXPECT_EQ(layout->metadata[0].offset, 0x128u);
    EXPECT_EQ(layout->metadata[0].length, 384u);
    EXPECT_EQ(layout->metadata[1].length, 1056u);
    EXPECT_EQ(layout->metadata[2].length, 5168u);
    EXPECT_EQ(layout->metadata[3].length, 1808u);
    // Its PRVW box claims more than the file holds and its THMB holds placeholder text.
    EXPECT_TRUE(layout->preview.empty());
    EXPECT_TRUE(layout->thumbnail.empty());
}

}  // namespace
}  // namespace tavrin::formats
