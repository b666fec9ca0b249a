#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <functional>

#include "common/strings.hpp"
#include "formats/jpeg_markers.hpp"
#include "platform/imaging/decode.hpp"
#include "platform/system/files.hpp"
#include "shellext/info/image_info_reader.hpp"
#include "shellext/info/preview_decoders.hpp"
#include "shellext/surfaces/info_tip.hpp"
#include "tests/fixtures/fixture_writer.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin::shell {
namespace {

using namespace fixtures;
using com::HRESULT;

class ImageInfoTest : public test::TempRegistry {
  protected:
    void SetUp() override {
        TempRegistry::SetUp();
        ::setenv("TAVRIN_EVENTLOG", (root() / "events.log").c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("TAVRIN_EVENTLOG");
        TempRegistry::TearDown();
    }
    std::filesystem::path write(const std::string& name, const Bytes& bytes) {
        const auto path = root() / name;
        writeFile(path, bytes);
        return path;
    }
    HRESULT read(ImageInfo& info, const std::filesystem::path& path, bool preview = true) {
        info.filePath = path.string();
        return ReadImageInfo(info, preview);
    }
    Bytes previewBytes(const ImageInfo& info) {
        const auto* p = static_cast<const std::uint8_t*>(com::GlobalLock(info.previewData));
        Bytes out(p, p + com::GlobalSize(info.previewData));
        com::GlobalUnlock(info.previewData);
        return out;
    }
    std::string events() { return files::readText(root() / "events.log").value_or(""); }
};

TEST_F(ImageInfoTest, aJpegIsItsOwnPreview) {
    const Fields f;
    Ifd exif{{f.shorts(34855, {6400}), f.rationals(33434, {{10, 1250}}, kRational),
              f.text(36868, "2008:05:30 15:56:01"), f.rationals(37386, {{18, 1}}, kRational)}};
    const Bytes file = jpegWithExif(
        tiff({Ifd{{f.text(271, "Maker"), f.text(272, "Cam 1"), f.directories(34665, {exif})}}}),
        jpeg(40, 30));
    ImageInfo info;
    ASSERT_EQ(read(info, write("a.jpg", file)), com::S_OK);
    EXPECT_EQ(previewBytes(info), file);
    EXPECT_EQ(info.previewWidth, 40);
    EXPECT_EQ(info.previewHeight, 30);
    EXPECT_EQ(info.shooting.isoText, "");  // 6400 is above the limit
    EXPECT_EQ(info.shooting.exposureTime, "1/125");
    EXPECT_EQ(info.shooting.focalLength, "18 mm");
    EXPECT_EQ(info.shooting.dateTaken, "2008:05:30 15:56:01");
    EXPECT_EQ(info.make, "Maker");
}

TEST_F(ImageInfoTest, aFileAboveTwoGibibytesKeepsItsSize) {
    const Fields f;
    const auto path =
        write("big.jpg", jpegWithExif(tiff({Ifd{{f.text(271, "Maker")}}}), jpeg(40, 30)));
    const std::uintmax_t size = (std::uintmax_t{5} << 30) + 12345;  // sparse: takes no room
    std::filesystem::resize_file(path, size);
    ImageInfo info;
    read(info, path, false);
    EXPECT_EQ(info.fileSize, static_cast<std::int64_t>(size));
    EXPECT_NE(buildInfoTip(info).find("Größe: 5.1e+03 MB"), std::string::npos)
        << buildInfoTip(info);
}

TEST_F(ImageInfoTest, aJpegIsAsLargeAsItsOwnFrameTurnedAsItSays) {
    const Fields f;
    for (const std::uint16_t orientation : {1, 6, 8, 3}) {
        // The notes speak of the camera's picture; a program made this file smaller.
        const Bytes file = jpegWithExif(
            tiff({Ifd{{f.longs(256, {5920}), f.longs(257, {3950}), f.text(271, "Canon"),
                       f.text(272, "Canon EOS 5D Mark III"), f.shorts(274, {orientation})}}}),
            jpeg(40, 30));
        for (const bool preview : {false, true}) {
            ImageInfo info;
            read(info, write("small.jpg", file), preview);
            const bool sideways = orientation == 6 || orientation == 8;
            EXPECT_EQ(info.shooting.width, sideways ? 30 : 40) << orientation;
            EXPECT_EQ(info.shooting.height, sideways ? 40 : 30) << orientation;
        }
    }
    ImageInfo bare;
    read(bare, write("bare.jpg", jpeg(40, 30)), false);
    EXPECT_EQ(bare.shooting.width, 40);
    EXPECT_EQ(bare.shooting.height, 30);
}

TEST(JpegFrame, isFoundBehindOtherSegmentsAndNotPastTheScan) {
    const auto frameOf = [](Bytes bytes) -> std::pair<int, int> {
        formats::FileReader f;
        f.openMemory(std::move(bytes));
        const auto frame = formats::readJpegFrameSize(f);
        return frame ? std::pair{frame->width, frame->height} : std::pair{-1, -1};
    };
    const Bytes sof2 = {0xFF, 0xC2, 0x00, 0x11, 0x08, 0x00, 0x10, 0x00, 0x20};
    // A table segment (C4 is no frame), a stand-alone marker and fill bytes before the frame.
    Bytes file = {0xFF, 0xD8, 0xFF, 0xC4, 0x00, 0x04, 0xAA, 0xBB, 0xFF, 0xD0, 0xFF, 0xFF};
    file.insert(file.end(), sof2.begin(), sof2.end());
    EXPECT_EQ(frameOf(file), (std::pair{32, 16}));
    EXPECT_EQ(frameOf(jpeg(40, 30)), (std::pair{40, 30}));

    EXPECT_EQ(frameOf({0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x02, 0xFF, 0xC0, 0x00, 0x11, 0x08, 0x00, 0x10,
                       0x00, 0x20}),
              (std::pair{-1, -1}));  // after the scan's start: image data, not a frame
    EXPECT_EQ(frameOf({0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xF0}), (std::pair{-1, -1}));  // cut
    EXPECT_EQ(frameOf({0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x01}), (std::pair{-1, -1}));  // bad length
    EXPECT_EQ(frameOf({0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x11, 0x08, 0x00, 0x00, 0x00, 0x20}),
              (std::pair{-1, -1}));  // no height
    EXPECT_EQ(frameOf({'I', 'I', 0x2A, 0x00}), (std::pair{-1, -1}));
}

TEST_F(ImageInfoTest, aRafPreviewAndTheVisibleShareOfTheTurnedSensor) {
    const Fields big(false);
    const Bytes preview = jpegWithExif(
        tiff({Ifd{{big.text(271, "FUJIFILM"), big.text(272, "FinePix S5000")}}}, false),
        jpeg(64, 48));
    std::uint16_t wb[4] = {1, 1, 1, 1};
    const Bytes file = raf("FinePix S5000", preview, wb);
    ImageInfo info;
    ASSERT_EQ(read(info, write("DSCF0001.RAF", file)), com::S_OK);
    EXPECT_EQ(previewBytes(info), preview);
    EXPECT_EQ(info.previewWidth, 64);
    // The engine identifies 2500 x 2499 (width x height): 0.599 and 0.401 of it.
    EXPECT_EQ(info.shooting.width, static_cast<int>(2500 * 0.599));
    EXPECT_EQ(info.shooting.height, static_cast<int>((1 - 0.599) * 2499));
    // A put-aside RAF keeps the treatment.
    ImageInfo aside;
    read(aside, write("DSCF0002.RAF.trashed", file), false);
    EXPECT_EQ(aside.shooting.width, static_cast<int>(2500 * 0.599));
}

TEST_F(ImageInfoTest, aNikonD1XReportsItsTrueSize) {
    const Fields f;
    Ifd raw{{f.longs(256, {4028}), f.longs(257, {1324}), f.bytes(33422, {0, 1, 1, 2})}};
    const Bytes file = tiff({Ifd{{f.text(271, "NIKON CORPORATION"), f.text(272, "NIKON D1X"),
                                  f.directories(330, {raw})}}},
                            true, 4096);
    ImageInfo info;
    read(info, write("DSC_0001.NEF", file), false);
    EXPECT_EQ(info.shooting.width, 3008);
    EXPECT_EQ(info.shooting.height, 1960);
}

// A camera file whose first strip holds 4 x 2 pixels (10 * i, 100, 200) of 8-bit samples.
Bytes stripFile(const Fields& f, Entry bitsPerSample) {
    Bytes pixels;
    for (int i = 0; i < 4 * 2; ++i)
        pixels.insert(pixels.end(), {static_cast<std::uint8_t>(10 * i), 100, 200});
    // IFD0 marked as the reduced picture of a raw file: a camera's file, not a TIFF picture.
    Bytes file = tiff(
        {Ifd{{f.longs(254, {1}), f.longs(256, {4}), f.longs(257, {2}), std::move(bitsPerSample),
              f.text(271, "Maker"), f.text(272, "Model"), f.longs(273, {0}), f.longs(279, {24})}}},
        f.littleEndian());
    const auto stripAt = static_cast<std::uint32_t>(file.size());
    file.insert(file.end(), pixels.begin(), pixels.end());
    // Point StripOffsets (the seventh entry) at the pixels.
    Bytes offset;
    f.put32(offset, 4);
    const std::size_t ifd = offset[0] == 4 ? (file[4] | file[5] << 8) : (file[6] << 8 | file[7]);
    offset.clear();
    f.put32(offset, stripAt);
    std::copy(offset.begin(), offset.end(), file.begin() + ifd + 2 + 6 * 12 + 8);
    return file;
}

TEST_F(ImageInfoTest, aStripWithoutJpegBecomesABmpOfItsPixels) {
    ImageInfo info;
    const Fields f;
    ASSERT_EQ(read(info, write("x.raw", stripFile(f, f.shorts(258, {8, 8, 8})))), com::S_OK);
    const Bytes bmp = previewBytes(info);
    ASSERT_EQ(bmp.size(), 54u + 12 * 2);  // rows of 12 bytes: no padding needed
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[10], 54);
    EXPECT_EQ(bmp[18], 4);
    EXPECT_EQ(bmp[22], 2);  // positive height: bottom-up
    EXPECT_EQ(bmp[28], 24);
    // The first stored row is the picture's bottom row: pixel (0, 1) = 40, 100, 200 as B, G, R.
    EXPECT_EQ(bmp[54], 200);
    EXPECT_EQ(bmp[55], 100);
    EXPECT_EQ(bmp[56], 40);
    EXPECT_EQ(imaging::decodeImage(bmp).status, imaging::Status::Ok);
}

TEST_F(ImageInfoTest, bitsPerSampleIsReadByItsTypeInEitherOrder) {
    for (const bool le : {true, false}) {
        const Fields f(le);
        for (const Entry& bits : {f.shorts(258, {8, 8, 8}), f.longs(258, {8, 8, 8}),
                                  f.bytes(258, {8, 8, 8}), f.longs(258, {8, 8})}) {
            SCOPED_TRACE(testing::Message()
                         << (le ? "II" : "MM") << " type " << bits.type << " count " << bits.count);
            ImageInfo info;
            ASSERT_EQ(read(info, write("x.raw", stripFile(f, bits))), com::S_OK);
            EXPECT_EQ(info.tiffBitsPerSample, 8);
            const Bytes bmp = previewBytes(info);
            ASSERT_EQ(bmp.size(), 54u + 12 * 2);
            EXPECT_EQ(bmp[56], 40);
        }
    }
}

// A TIFF picture in strips of one row each, laid out in the file bottom row first: the strips
// are not contiguous in the picture's order. rowBytes per row, made by row(y).
Bytes scatteredStrips(const std::vector<Entry>& entries, int height, std::size_t rowBytes,
                      const std::function<Bytes(int)>& row) {
    const Fields f;
    auto build = [&](std::uint32_t firstRowAt) {
        std::vector<std::uint32_t> offsets, counts;
        for (int y = 0; y < height; ++y) {
            offsets.push_back(firstRowAt + static_cast<std::uint32_t>((height - 1 - y) * rowBytes));
            counts.push_back(static_cast<std::uint32_t>(rowBytes));
        }
        Ifd ifd{entries};
        ifd.entries.push_back(f.longs(273, offsets));
        ifd.entries.push_back(f.shorts(278, {1}));
        ifd.entries.push_back(f.longs(279, counts));
        return tiff({ifd});
    };
    Bytes file = build(static_cast<std::uint32_t>(build(0).size()));
    for (int y = height - 1; y >= 0; --y) {
        const Bytes r = row(y);
        file.insert(file.end(), r.begin(), r.end());
    }
    return file;
}

// A TIFF file that is a picture, not a camera's raw file, is the picture the imaging layer reads
// from it: strips anywhere in the file, palette colours, 16-bit grey, and a camera's maker tag
// does not make it a raw file.
TEST_F(ImageInfoTest, issue17_aTiffPictureIsThePictureItHolds) {
    const Fields f;
    constexpr int kWidth = 6, kHeight = 5;
    struct Case {
        const char* name;
        Bytes file;
        std::function<std::array<int, 3>(int, int)> expected;  // R, G, B at x, y
    };
    std::vector<std::uint16_t> map(3 * 256);
    for (int i = 0; i < 256; ++i) {
        map[i] = static_cast<std::uint16_t>(257 * (255 - i));
        map[256 + i] = static_cast<std::uint16_t>(257 * i);
        map[512 + i] = 257 * 60;
    }
    const Case cases[] = {
        {"rgb.TIF",
         scatteredStrips({f.longs(256, {kWidth}), f.longs(257, {kHeight}), f.shorts(258, {8, 8, 8}),
                          f.shorts(259, {1}), f.shorts(262, {2}), f.text(271, "OLYMPUS OPTICAL"),
                          f.text(272, "C920Z,D450Z"), f.shorts(277, {3})},
                         kHeight, 3 * kWidth,
                         [](int y) {
                             Bytes r;
                             for (int x = 0; x < kWidth; ++x)
                                 r.insert(r.end(), {static_cast<std::uint8_t>(40 * x),
                                                    static_cast<std::uint8_t>(50 * y), 7});
                             return r;
                         }),
         [](int x, int y) {
             return std::array{40 * x, 50 * y, 7};
         }},
        {"palette.tif",
         scatteredStrips(
             {f.longs(256, {kWidth}), f.longs(257, {kHeight}), f.shorts(258, {8}),
              f.shorts(259, {1}), f.shorts(262, {3}), f.shorts(277, {1}), f.shorts(320, map)},
             kHeight, kWidth,
             [](int y) {
                 Bytes r;
                 for (int x = 0; x < kWidth; ++x)
                     r.push_back(static_cast<std::uint8_t>(10 * x + 40 * y));
                 return r;
             }),
         [](int x, int y) {
             return std::array{255 - (10 * x + 40 * y), 10 * x + 40 * y, 60};
         }},
        {"grey16.tif",
         scatteredStrips({f.longs(256, {kWidth}), f.longs(257, {kHeight}), f.shorts(258, {16}),
                          f.shorts(259, {1}), f.shorts(262, {1}), f.shorts(277, {1})},
                         kHeight, 2 * kWidth,
                         [](int y) {
                             Bytes r;
                             for (int x = 0; x < kWidth; ++x) {
                                 const int v = 257 * (30 * x + 20 * y);
                                 r.insert(r.end(), {static_cast<std::uint8_t>(v & 0xFF),
                                                    static_cast<std::uint8_t>(v >> 8)});
                             }
                             return r;
                         }),
         [](int x, int y) {
             const int v = 30 * x + 20 * y;
             return std::array{v, v, v};
         }},
    };
    for (const Case& c : cases) {
        ImageInfo info;
        ASSERT_EQ(read(info, write(c.name, c.file)), com::S_OK) << c.name;
        const auto decoded = imaging::decodeImage(previewBytes(info));
        ASSERT_EQ(decoded.status, imaging::Status::Ok) << c.name;
        const imaging::Bitmap& b = *decoded.bitmap;
        ASSERT_EQ(b.width(), kWidth) << c.name;
        ASSERT_EQ(b.height(), kHeight) << c.name;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const auto [r, g, bl] = c.expected(x, y);
                const std::uint8_t* px = b.row(y) + 3 * x;
                EXPECT_NEAR(px[2], r, 1) << c.name << " at " << x << ", " << y;
                EXPECT_NEAR(px[1], g, 1) << c.name << " at " << x << ", " << y;
                EXPECT_NEAR(px[0], bl, 1) << c.name << " at " << x << ", " << y;
            }
        }
    }
}

// Files cut short keep their small pictures: the largest one that lies wholly inside the file
// stands in for a preview that points past its end.
TEST_F(ImageInfoTest, issue17_aCutOffPreviewGivesWayToAnIntactSmallerPicture) {
    const Fields f;
    const Bytes thumb = jpeg(32, 24), middle = jpeg(64, 48);
    // The last preview the walk meets (IFD1's) is the chosen one; it points past the end.
    auto build = [&](std::uint32_t thumbAt, std::uint32_t middleAt) {
        const Ifd small{{f.longs(254, {1}), f.longs(513, {thumbAt}),
                         f.longs(514, {static_cast<std::uint32_t>(thumb.size())})}};
        const Ifd larger{{f.longs(254, {1}), f.longs(513, {middleAt}),
                          f.longs(514, {static_cast<std::uint32_t>(middle.size())})}};
        return tiff({Ifd{{f.longs(254, {1}), f.text(271, "NIKON CORPORATION"),
                          f.text(272, "NIKON D70"), f.directories(330, {small, larger})}},
                     Ifd{{f.longs(513, {5000000}), f.longs(514, {900000})}}});
    };
    const auto header = static_cast<std::uint32_t>(build(0, 0).size());
    Bytes file = build(header, header + static_cast<std::uint32_t>(thumb.size()));
    file.insert(file.end(), thumb.begin(), thumb.end());
    file.insert(file.end(), middle.begin(), middle.end());
    {
        ImageInfo info;
        ASSERT_EQ(read(info, write("cut.nef", file)), com::S_OK);
        EXPECT_EQ(info.previewWidth, 64);  // the larger of the two intact pictures
        EXPECT_EQ(info.previewHeight, 48);
    }
    // Without its middle picture the thumbnail remains.
    file.resize(file.size() - middle.size() / 2);
    ImageInfo info;
    ASSERT_EQ(read(info, write("cut2.nef", file)), com::S_OK);
    EXPECT_EQ(info.previewWidth, 32);
    EXPECT_EQ(info.previewHeight, 24);
    EXPECT_EQ(imaging::decodeImage(previewBytes(info)).status, imaging::Status::Ok);

    // A CRW whose large picture record reaches past the end keeps its thumbnail record.
    Bytes crw = ciff({{0x2007, jpeg(80, 60)}, {0x2008, thumb}});
    const std::uint32_t table = crw[crw.size() - 4] | crw[crw.size() - 3] << 8 |
                                crw[crw.size() - 2] << 16 |
                                static_cast<std::uint32_t>(crw[crw.size() - 1]) << 24;
    const std::size_t firstRecord = 26 + table + 2;  // type, then its length
    ASSERT_EQ(crw[firstRecord] | crw[firstRecord + 1] << 8, 0x2007);
    crw[firstRecord + 4] = 0x10;  // length 0x10xxxxxx: far beyond the file
    ImageInfo crwInfo;
    ASSERT_EQ(read(crwInfo, write("cut.crw", crw)), com::S_OK);
    EXPECT_EQ(crwInfo.previewWidth, 32);
}

// A preview whose length reaches past the end of a cut file is handed out whole: what the file
// no longer holds reads as zeros, the same on every read.
TEST_F(ImageInfoTest, thePartOfAPreviewPastTheEndOfTheFileIsZeros) {
    const Fields f;
    const Bytes preview = jpeg(40, 30);
    constexpr std::uint32_t kMissing = 16;  // fewer than the header holds: not longer than the file
    auto build = [&](std::uint32_t at) {
        return tiff({Ifd{{f.text(271, "NIKON"), f.text(272, "NIKON D70"), f.longs(513, {at}),
                          f.longs(514, {static_cast<std::uint32_t>(preview.size()) + kMissing})}}});
    };
    Bytes file = build(static_cast<std::uint32_t>(build(0).size()));
    file.insert(file.end(), preview.begin(), preview.end());
    const auto path = write("cut3.nef", file);
    for (int round = 0; round < 2; ++round) {
        ImageInfo info;
        ASSERT_EQ(read(info, path), com::S_OK);
        const Bytes handed = previewBytes(info);
        ASSERT_EQ(handed.size(), preview.size() + kMissing);
        EXPECT_TRUE(std::equal(preview.begin(), preview.end(), handed.begin()));
        EXPECT_TRUE(std::all_of(handed.end() - kMissing, handed.end(),
                                [](std::uint8_t b) { return b == 0; }));
    }
}

TEST_F(ImageInfoTest, anMrwPreviewGetsItsFirstByteBack) {
    const Bytes preview = jpeg(16, 16);
    const Bytes file = mrwWithPreview(preview);
    ImageInfo info;
    ASSERT_EQ(read(info, write("PICT0001.MRW", file)), com::S_OK);
    EXPECT_EQ(info.previewOffset, file.size() - (preview.size() - 1));
    EXPECT_EQ(previewBytes(info), preview);
    EXPECT_EQ(info.previewWidth, 16);
}

TEST_F(ImageInfoTest, aPhaseOneFileHasNoPreviewToOffer) {
    Bytes file(4096, 0);
    std::memcpy(file.data(), "MMMMRawT", 8);
    ImageInfo info;
    EXPECT_EQ(read(info, write("P0001.TIF.raw", file)), com::E_NOTIMPL);
    EXPECT_NE(events().find("0x80004001 Raw file format is not supported.\n"), std::string::npos)
        << events();
}

TEST_F(ImageInfoTest, unreadableAndUnknownFilesFailWithTheirEvents) {
    ImageInfo info;
    EXPECT_EQ(read(info, root() / "missing.CR2"), com::E_UNEXPECTED);
    EXPECT_NE(events().find("0x8000FFFF Couldn't open raw image file."), std::string::npos);
    ImageInfo garbage;
    EXPECT_EQ(read(garbage, write("x.bay", Bytes(1000, 0x42))), com::E_NOTIMPL);
}

TEST_F(ImageInfoTest, aRolleiWordKeepsItsTopBitsInTheFirstByte) {
    std::string header = "DSC-Image\nHDR=128\nX  =4\nY  =2\nTX =2\nTY =1\nORI=0\nEOHD\n";
    Bytes file(header.begin(), header.end());
    file.resize(128, 0);
    file.insert(file.end(), {0xF8, 0x00, 0x00, 0x1F});
    ImageInfo info;
    ASSERT_EQ(read(info, write("x.rdc", file)), com::S_OK);
    const Bytes bmp = previewBytes(info);
    ASSERT_GE(bmp.size(), 60u);
    EXPECT_EQ(bmp[54], 0xF8);  // blue
    EXPECT_EQ(bmp[55], 0x00);
    EXPECT_EQ(bmp[56], 0x00);
    EXPECT_EQ(bmp[59], 0xF8);  // the word 0x001F: red (v * 8) & 0xFF
}

TEST_F(ImageInfoTest, theKodakCurveRepeatsItsLastEntry) {
    const Fields f;
    std::vector<std::uint16_t> values(300);
    for (int i = 0; i < 300; ++i)
        values[i] = static_cast<std::uint16_t>(i * 3);
    ImageInfo info;
    info.make = "KODAK";
    // A directory at offset 12 with the curve tag, its values behind it.
    Bytes file = {'I', 'I', 42, 0, 12, 0, 0, 0, 0, 0, 0, 0};
    f.put16(file, 1);
    f.put16(file, 2317);
    f.put16(file, kShort);
    f.put32(file, 300);
    f.put32(file, 12 + 2 + 12 + 4);
    f.put32(file, 0);
    for (const auto v : values)
        f.put16(file, v);
    formats::FileReader reader;
    reader.openMemory(file);
    InfoContext ctx{info, reader};
    const KodakCurve curve = readKodakCurve(ctx);
    EXPECT_EQ(curve[0], 0);
    EXPECT_EQ(curve[299], 897);
    EXPECT_EQ(curve[300], 897);
    EXPECT_EQ(curve[4095], 897);
    info.make = "Canon";
    EXPECT_EQ(readKodakCurve(ctx)[300], 300);  // identity for other makes
}

TEST_F(ImageInfoTest, aMakerNoteOfMoreThanAHundredEntriesIsIgnored) {
    for (const unsigned count : {100u, 101u}) {
        const Fields f;
        Bytes note = {'N', 'i', 'k', 'o', 'n', 0, 2, 0, 0, 0};
        Bytes inner = {'I', 'I', 42, 0, 8, 0, 0, 0};
        f.put16(inner, count);
        for (unsigned i = 0; i < count; ++i) {
            f.put16(inner, i == 0 ? 0x0002 : 0x0100 + i);
            f.put16(inner, 3);
            f.put32(inner, 2);
            f.put16(inner, 0);
            f.put16(inner, 400);  // ISO 400 in the second value
        }
        f.put32(inner, 0);
        note.insert(note.end(), inner.begin(), inner.end());
        Ifd exif{{f.bytes(37500, note, kUndefined)}};
        const Bytes file = tiff({Ifd{{f.text(271, "NIKON"), f.directories(34665, {exif})}}});
        ImageInfo info;
        read(info, write("n" + std::to_string(count) + ".nef", file), false);
        EXPECT_EQ(info.shooting.isoText, count == 100 ? "400" : "") << count;
    }
}

// Fujifilm and Pentax notes start with a header of their own; the white balance is read from
// the directory after it, in the note's byte order.
TEST_F(ImageInfoTest, fujiAndPentaxNotesGiveTheWhiteBalanceOfTheirDirectory) {
    const Fields f;
    struct Case {
        const char* make;
        Bytes note;
        unsigned whiteBalanceIndex;
    };
    // FUJIFILM, the directory's offset (12, little-endian), one entry: 0x1002 = 256 (daylight).
    Bytes fuji = {'F',  'U', 'J', 'I', 'F', 'I', 'L', 'M', 12, 0, 0, 0, 1, 0, 0x02,
                  0x10, 3,   0,   1,   0,   0,   0,   0,   1,  0, 0, 0, 0, 0, 0};
    // AOC, then the entries in the file's order: 0x0007 = 2 (tungsten, text 7).
    Bytes pentax = {'A', 'O', 'C', 0, 'I', 'I', 1, 0, 7, 0, 3, 0,
                    1,   0,   0,   0, 2,   0,   0, 0, 0, 0, 0, 0};
    for (const Case& c : {Case{"FUJIFILM", fuji, 1}, Case{"PENTAX Corporation", pentax, 7}}) {
        Ifd exif{{f.bytes(37500, c.note, kUndefined)}};
        const Bytes file = tiff({Ifd{{f.text(271, c.make), f.directories(34665, {exif})}}});
        ImageInfo info;
        read(info, write("wb.nef", file), false);
        ShootingData expected;
        expected.setWhiteBalance(static_cast<int>(c.whiteBalanceIndex));
        EXPECT_EQ(info.shooting.whiteBalance, expected.whiteBalance) << c.make;
        EXPECT_FALSE(info.shooting.whiteBalance.empty()) << c.make;
    }
}

TEST_F(ImageInfoTest, descriptionTextKeysFillTheShootingData) {
    const Fields f;
    const Bytes file = tiff(
        {Ifd{{f.text(270, "ISO: 200\nAperture: F2.8\n"), f.text(271, "Maker"), f.text(272, "M")}}});
    ImageInfo info;
    read(info, write("d.dcr", file), false);
    EXPECT_EQ(info.shooting.isoText, "200");
    EXPECT_EQ(info.shooting.aperture, "f 2.8");
}

// Little-endian 16-bit words.
Bytes words(std::initializer_list<int> values) {
    Bytes out;
    for (const int v : values) {
        out.push_back(static_cast<std::uint8_t>(v & 0xFF));
        out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
    }
    return out;
}

Bytes floats(std::initializer_list<float> values) {
    Bytes out;
    for (const float v : values) {
        const auto bits = std::bit_cast<std::uint32_t>(v);
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    }
    return out;
}

TEST_F(ImageInfoTest, crwShootingDataComeFromTheRecordsThatHoldThem) {
    // Shot info: ISO code 128 (50), exposure compensation -20 (-2/3 EV), white balance 1,
    // flash compensation 12, focus 688 and 119 cm, aperture 126 (f/3.9), shutter 182 (1/52 s),
    // bulb 3. Camera settings: delay 100, flash 2, drive 1, focus 3, contrast 1, saturation -1,
    // sharpness 2, lens 672 to 224 in units of 32; no colour tone. The focal length record
    // holds its 224 in the record itself.
    const Bytes shotInfo = words(
        {0, 0, 128, 0, 0, 0, -20, 1, 0, 0, 0, 0, 0, 0, 0, 12, 0, 0, 0, 688, 119, 126, 182, 0, 3});
    const Bytes settings = words(
        {0, 0, 100, 0, 2, 1, 0, 3, 0, 0, 0, 0, 0, 1, -1, 2, 0, 0, 0, 0, 0, 0, 0, 672, 224, 32});
    const Bytes file =
        ciff({{0x300A,
               {},
               {{0x300B,
                 {},
                 {{0x5029, words({2, 224, 286, 215})}, {0x102A, shotInfo}, {0x102D, settings}}}}}});
    ImageInfo info;
    read(info, write("IMG.CRW", file), false);
    const ShootingData& sd = info.shooting;
    EXPECT_EQ(sd.isoText, "50");
    EXPECT_EQ(sd.aperture, "f 3.9");
    EXPECT_EQ(sd.exposureTime, "1/52");
    EXPECT_EQ(sd.focalLength, "7");
    EXPECT_EQ(sd.flash, "An");
    EXPECT_EQ(sd.whiteBalance, strings::get(582));
    EXPECT_EQ(info.extraInfo,
              "Verschlussgeschwindigkeit: 1/52\n"
              "Bulb-Dauer: 3 (Sek.)\n"
              "Belichtungsabgeich: -0.66 EV\n"
              "untere fokussierte Distanz:    1.190 (m)\n"
              "obere fokussierte Distanz:    6.880 (m)\n"
              "Unterer Zoombereich: 7 (mm)\n"
              "Oberer Zoombereich: 21 (mm)\n"
              "Blitzausgleich: +0.33 EV\n"
              "Kontrast: 1\n"
              "Sättigung: -1\n"
              "Schärfe: 2\n"
              "Auslöseverzögerung: 100.00\n"
              "Autofokusmodus: " +
                  std::string(strings::get(657)) +
                  "\nTreiber-Modus: " + std::string(strings::get(662)) + "\n");
}

TEST_F(ImageInfoTest, crwWithoutShotInfoTakesTheExposureInformationAndLeavesTheRestOut) {
    // Exposure compensation +1 EV, Tv 6 (Canon's 1/60 s), Av 4 (f/4); short camera settings.
    const Bytes file = ciff(
        {{0x300A, {}, {{0x1818, floats({1.0f, 6.0f, 4.0f})}, {0x102D, words({0, 0, 0, 0, 6})}}}});
    ImageInfo info;
    read(info, write("IMG.CRW", file), false);
    EXPECT_EQ(info.shooting.aperture, "f 4.0");
    EXPECT_EQ(info.shooting.exposureTime, "1/60");
    EXPECT_EQ(info.shooting.flash, strings::get(562));
    EXPECT_EQ(info.shooting.isoText, "");
    EXPECT_EQ(info.shooting.focalLength, "");
    EXPECT_EQ(info.extraInfo,
              "Verschlussgeschwindigkeit: 1/60\nBelichtungsabgeich: +1.0 EV\n"
              "Auslöseverzögerung: 0.00\n");
}

TEST_F(ImageInfoTest, crwCaptureTimeIsTheCameraClockInEveryZone) {
    Bytes stamp = words({0x19A4, 0x61E9, 0, 0, 0, 0});  // 1642666404
    const auto path = write("IMG.CRW", ciff({{0x300A, {}, {{0x180E, stamp}}}}));
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    // Berlin, New York and Kolkata, written out so that no zone database is needed.
    for (const char* zone : {"CET-1CEST,M3.5.0,M10.5.0/3", "EST5EDT,M3.2.0,M11.1.0", "IST-5:30"}) {
        ::setenv("TZ", zone, 1);
        ::tzset();
        ImageInfo info;
        read(info, path, false);
        EXPECT_EQ(info.shooting.dateTaken, "Thu Jan 20 08:13:24 2022") << zone;
    }
    old ? ::setenv("TZ", saved.c_str(), 1) : ::unsetenv("TZ");
    ::tzset();
}

TEST(wrapPixelsAsBmp, laysOutTheHeaderAndPaddedRows) {
    ImageInfo info;
    info.previewWidth = 3;
    info.previewHeight = 2;
    const int stride = wrapPixelsAsBmp(info);
    EXPECT_EQ(stride, 12);  // 9 bytes padded to 12
    ASSERT_EQ(com::GlobalSize(info.previewData), 54u + 24);
    const auto* p = static_cast<const std::uint8_t*>(com::GlobalLock(info.previewData));
    EXPECT_EQ(p[2], 78);   // file size
    EXPECT_EQ(p[14], 40);  // information header size
    EXPECT_EQ(p[26], 1);   // planes
    EXPECT_EQ(p[34], 24);  // image size
    com::GlobalUnlock(info.previewData);
    info.previewWidth = 100000;  // not a plausible size: no block
    EXPECT_EQ(wrapPixelsAsBmp(info), 0);
    EXPECT_EQ(info.previewData, nullptr);
}

}  // namespace
}  // namespace tavrin::shell

namespace tavrin::shell {
namespace {

TEST_F(ImageInfoTest, exifEntriesAppendTheirLines) {
    const Fields f;
    Ifd exif{{f.shorts(34850, {2}), f.shorts(37383, {3}), f.shorts(37384, {255}),
              f.shorts(37385, {0x19}), f.rationals(33437, {{28, 10}}, kRational)}};
    const Bytes file =
        tiff({Ifd{{f.text(271, "Maker"), f.text(272, "M"), f.directories(34665, {exif})}}});
    ImageInfo info;
    read(info, write("e.dcr", file), false);
    EXPECT_EQ(info.extraInfo,
              "Belichtungsprogramm: Normales Programm\nMessmethode: Spot\n");  // 255: no line
    EXPECT_EQ(info.shooting.flash, "An");                                      // bit 0 set: fired
    EXPECT_EQ(info.shooting.aperture, "f 2.8");
}

// A reader over bytes in memory, for the pixel decoders.
struct MemoryInfo {
    ImageInfo info;
    formats::FileReader file;
    InfoContext ctx{info, file};
    explicit MemoryInfo(Bytes bytes) { file.openMemory(std::move(bytes)); }
    Bytes bmp() const {
        const auto* p = static_cast<const std::uint8_t*>(com::GlobalLock(info.previewData));
        Bytes out(p, p + com::GlobalSize(info.previewData));
        com::GlobalUnlock(info.previewData);
        return out;
    }
};

TEST(PixelPreviews, foveonRowsSkipTheirPadding) {
    // Two rows of one pixel each, two padding bytes behind every row.
    MemoryInfo m({1, 2, 3, 0xEE, 0xEE, 4, 5, 6, 0xEE, 0xEE});
    m.info.previewWidth = 1;
    m.info.previewHeight = 2;
    m.info.thumbRowPadding = 2;
    ASSERT_EQ(decodeFoveonPreview(m.ctx), com::S_OK);
    const Bytes bmp = m.bmp();
    // Bottom-up rows of 4 bytes: the second picture row first, as blue, green, red.
    EXPECT_EQ((Bytes(bmp.begin() + 54, bmp.begin() + 57)), (Bytes{6, 5, 4}));
    EXPECT_EQ((Bytes(bmp.begin() + 58, bmp.begin() + 61)), (Bytes{3, 2, 1}));
}

TEST(PixelPreviews, kodakRgbPixelsGoThroughTheBrightnessTable) {
    // One pixel r = g = b = 1000 (identity curve, times 4 = 4000): v = sqrt(3) * 4000 / 2.
    MemoryInfo m({0x03, 0xE8, 0x03, 0xE8, 0x03, 0xE8});
    m.file.setOrder(formats::kBigEndian);
    m.info.previewWidth = 1;
    m.info.previewHeight = 1;
    ASSERT_EQ(decodeKodakRgbPreview(m.ctx), com::S_OK);
    const double v = std::floor(std::sqrt(3.0) * 4000 * 0.5);
    const double scale = 221.0 / 4096 * std::pow(v / 4096, -0.4);
    const int expected = static_cast<int>(std::min(255.0, 4000 * scale));
    EXPECT_NEAR(m.bmp()[54], expected, 1);
    EXPECT_EQ(m.bmp()[54], m.bmp()[56]);
}

TEST(PixelPreviews, kodakYuvBlocksDecodeWithoutReadingOutsideTheCurve) {
    // Code lengths of 15 bits over random data: large values, all clamped to the curve.
    Bytes data(4096);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i * 37 + 11);
    for (std::size_t i = 0; i < 192; ++i)
        data[i] = 0xFF;
    MemoryInfo m(data);
    m.info.previewWidth = 6;
    m.info.previewHeight = 4;
    ASSERT_EQ(decodeKodakYuvPreview(m.ctx), com::S_OK);
    EXPECT_EQ(m.bmp().size(), 54u + 20 * 4);
}

}  // namespace
}  // namespace tavrin::shell
