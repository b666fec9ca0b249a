#include <gtest/gtest.h>

#include "shellext/metadata/exif_reader.hpp"
#include "tests/fixtures/fixture_writer.hpp"

namespace tavrin::shell {
namespace {

using namespace fixtures;

// Reads the EXIF block of a JPEG holding the given directories.
struct Read {
    formats::FileReader file;
    ExifReader exif{file};
    bool ok = false;
    explicit Read(const Bytes& jpegBytes) {
        file.openMemory(jpegBytes);
        ok = exif.read();
    }
    std::string text(const char* name) const {
        const ExifTag* t = exif.findByName(name);
        return t ? t->text : "<none>";
    }
};

Bytes withExif(const std::vector<Ifd>& chain, bool littleEndian) {
    return jpegWithExif(tiff(chain, littleEndian), jpeg(8, 8));
}

TEST(ExifReader, rendersValuesAsTheReadersExpect) {
    for (const bool le : {true, false}) {
        const Fields f(le);
        Ifd exif{{f.rationals(33434, {{1, 125}}, kRational), f.rationals(37380, {{-1, 3}, {2, 3}}),
                  f.rationals(37378, {{5, 1}}, kRational),
                  f.rationals(37386, {{183, 10}}, kRational), f.shorts(37385, {0x19}),
                  f.shorts(34855, {100}), f.bytes(37121, {1, 2, 3, 0}, kUndefined),
                  f.bytes(36864, {'0', '2', '2', '0'}, kUndefined),
                  f.shorts(37396, {0x0201, 0x0403}), f.shorts(41492, {9, 9}),
                  f.text(36868, "2008:05:30 15:56:01")}};
        const Read r(withExif({Ifd{{f.text(271, "Canon"), f.text(272, "Canon EOS 40D"),
                                    f.shorts(274, {6}), f.directories(34665, {exif})}}},
                              le));
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.text("Make"), "Canon");
        EXPECT_EQ(r.text("model"), "Canon EOS 40D");
        EXPECT_EQ(r.text("Orientation"), "upper right");
        EXPECT_EQ(r.text("ExposureTime"), "1/125 ");
        EXPECT_EQ(r.text("ExposureBiasValue"), "-1/3 2/3 ");
        EXPECT_EQ(r.text("ApertureValue"), "f 5.0");
        EXPECT_EQ(r.text("FocalLength"), "18 mm");
        EXPECT_EQ(r.text("Flash"), "Off");
        EXPECT_EQ(r.text("ISOSpeedRatings"), "100");
        EXPECT_EQ(r.text("ComponentConfiguration"), le ? "[0.3.2.1]" : "[1.2.3.0]");
        EXPECT_EQ(r.text("ExifVersion"), le ? "[48.50.50.48]" : "[48.50.50.48]");
        EXPECT_EQ(r.text("DateTimeDigitized"), "2008:05:30 15:56:01");
        EXPECT_EQ(r.text("ResolutionUnit"), "<none>");
        // The first of two entries of one name.
        EXPECT_EQ(r.text("SubjectLocation").substr(0, 8), "1=column");
    }
}

TEST(ExifReader, rendersTheEnumerationsOfEachOrder) {
    for (const bool le : {true, false}) {
        const Fields f(le);
        const Read r(
            withExif({Ifd{{f.shorts(296, {2}), f.shorts(259, {6}), f.shorts(258, {8, 8, 8}),
                           f.longs(273, {1000, 2000}), f.shorts(37385, {1})}}},
                     le));
        EXPECT_EQ(r.text("ResolutionUnit"), le ? "2=inch" : "inch");
        EXPECT_EQ(r.text("Compression"), "6=Vendor Unique Number");
        EXPECT_EQ(r.text("BitsPerSample"), "8,8,8");
        const std::string strips = r.text("StripOffsets");
        EXPECT_EQ(strips.substr(strips.find(", ")), ", 2=StripsPerImage");
        EXPECT_EQ(r.text("Flash"), "On");
    }
}

TEST(ExifReader, readsBitsPerSampleByItsType) {
    for (const bool le : {true, false}) {
        const Fields f(le);
        EXPECT_EQ(Read(withExif({Ifd{{f.longs(258, {8, 8, 8})}}}, le)).text("BitsPerSample"),
                  "8,8,8");
        EXPECT_EQ(Read(withExif({Ifd{{f.longs(258, {12})}}}, le)).text("BitsPerSample"), "12");
        EXPECT_EQ(Read(withExif({Ifd{{f.bytes(258, {8, 8, 8})}}}, le)).text("BitsPerSample"),
                  "8,8,8");
    }
}

TEST(ExifReader, cutsLongTextsAndSkipsWhatLiesOutside) {
    const Fields f;
    const Read r(withExif(
        {Ifd{{f.text(270, std::string(5000, 'x')), Entry{271, kAscii, 50, {0xF0, 0xFF, 0, 0}}}}},
        true));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.text("ImageDescription").size(), 4199u);
    EXPECT_EQ(r.text("Make"), "<none>");  // its offset lies outside the segment
}

// Texts end at the count or at the first NUL, whichever comes first: some cameras leave the
// terminator out of the count (a Kodak CX7530's dates), others pad the text with NULs.
TEST(ExifReader, readsTextsUpToTheCountOrTheFirstNul) {
    for (const bool le : {true, false}) {
        const Fields f(le);
        const auto ascii = [&](std::uint16_t tag, std::string_view text) {
            return f.bytes(tag, Bytes(text.begin(), text.end()), kAscii);
        };
        Ifd exif{{ascii(36867, "2005:08:13 09:47:23"),
                  f.bytes(36868, {'2', '0', '0', '5', 0, 0, 0, 0, 0, 0, 0, 0}, kAscii)}};
        const Read r(withExif({Ifd{{ascii(271, "EASTMAN KODAK COMPANY"), ascii(305, "Abcd"),
                                    f.text(306, "2008:07:31 10:39:26"), ascii(315, "ab"),
                                    f.directories(34665, {exif})}}},
                              le));
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.text("Make"), "EASTMAN KODAK COMPANY");
        EXPECT_EQ(r.text("Software"), "Abcd");  // four characters inside the entry itself
        EXPECT_EQ(r.text("DateTime"), "2008:07:31 10:39:26");
        EXPECT_EQ(r.text("Artist"), "ab");
        EXPECT_EQ(r.text("DateTimeOriginal"), "2005:08:13 09:47:23");
        EXPECT_EQ(r.text("DateTimeDigitized"), "2005");
    }
}

TEST(ExifReader, failsWithoutAReadableSegment) {
    EXPECT_FALSE(Read(jpeg(8, 8)).ok);
    EXPECT_FALSE(Read(Bytes{}).ok);
    // An APP0 of odd length puts APP1 at an odd offset, where it is not looked for.
    const Fields f;
    Bytes odd = withExif({Ifd{{f.text(271, "Canon")}}}, true);
    const Bytes app0 = {0xFF, 0xE0, 0x00, 0x03, 0x00};
    odd.insert(odd.begin() + 2, app0.begin(), app0.end());
    EXPECT_FALSE(Read(odd).ok);
    // A header that is not "Exif".
    Bytes wrong = withExif({Ifd{{f.text(271, "Canon")}}}, true);
    wrong[6] = 'X';
    EXPECT_FALSE(Read(wrong).ok);
}

}  // namespace
}  // namespace tavrin::shell
