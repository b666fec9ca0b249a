#include <gtest/gtest.h>
#include <png.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <thread>

#include "platform/imaging/decode.hpp"
#include "platform/imaging/gdi_handles.hpp"
#include "platform/imaging/graphics.hpp"
#include "platform/imaging/painter.hpp"
#include "platform/imaging/png_writer.hpp"
#include "platform/system/files.hpp"
#include "tests/fixtures/fixture_writer.hpp"
#include "tests/support/samples.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin::imaging {
namespace {

using test::sample;
using test::TempDir;

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

Rgb pixel(const Bitmap& b, int x, int y) {
    const std::uint8_t* p = b.row(y) + x * 3;
    return {p[2], p[1], p[0]};
}

std::unique_ptr<Bitmap> solid(int w, int h, Rgb c) {
    auto b = Bitmap::create(w, h);
    b->clear(0xFF000000u | c.r << 16 | c.g << 8 | c.b);
    return b;
}

// Reads a binary PPM (P6, maxval 255) as an independent reference.
struct Ppm {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
};

std::optional<Ppm> readPpm(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxval = 0;
    Ppm ppm;
    in >> magic >> ppm.width >> ppm.height >> maxval;
    in.get();
    if (!in || magic != "P6" || maxval != 255) return std::nullopt;
    ppm.rgb.resize(static_cast<std::size_t>(ppm.width) * ppm.height * 3);
    in.read(reinterpret_cast<char*>(ppm.rgb.data()), static_cast<std::streamsize>(ppm.rgb.size()));
    if (!in) return std::nullopt;
    return ppm;
}

// djpeg (a separate program over the reference decoder) as the independent JPEG decode.
std::optional<Ppm> djpeg(const std::filesystem::path& jpeg, const char* scale) {
    TempDir dir;
    const auto out = dir.path() / "ref.ppm";
    const std::string cmd = std::string("djpeg -ppm ") + scale + " -outfile '" + out.string() +
                            "' '" + jpeg.string() + "' 2>/dev/null";
    if (std::system(cmd.c_str()) != 0) return std::nullopt;
    return readPpm(out);
}

void expectSamePixels(const Bitmap& b, const Ppm& ref) {
    ASSERT_EQ(b.width(), ref.width);
    ASSERT_EQ(b.height(), ref.height);
    int differing = 0;
    for (int y = 0; y < ref.height; ++y) {
        for (int x = 0; x < ref.width; ++x) {
            const std::uint8_t* r = &ref.rgb[(static_cast<std::size_t>(y) * ref.width + x) * 3];
            if (!(pixel(b, x, y) == Rgb{r[0], r[1], r[2]})) ++differing;
        }
    }
    EXPECT_EQ(differing, 0);
}

TEST(JpegDecode, matchesAnIndependentDecodeAtFullAndReducedSize) {
    const auto file = sample("digicam_corpus/Canon/PowerShot G2/IMG_0307.JPG");
    TAVRIN_REQUIRE_SAMPLE(file);
    const auto full = decodeImageFile(file);
    ASSERT_EQ(full.status, Status::Ok);
    const auto ref = djpeg(file, "");
    if (!ref) GTEST_SKIP() << "djpeg is not installed";
    expectSamePixels(*full.bitmap, *ref);

    // Drawn at 200 x 150 or larger: a quarter-size decode is enough.
    const auto reduced = decodeImageFile(file, DecodeOptions{200, 150});
    ASSERT_EQ(reduced.status, Status::Ok);
    EXPECT_EQ(reduced.bitmap->width(), 256);
    EXPECT_EQ(reduced.bitmap->height(), 192);
    // Reduced decodes take the fast transform and plain upsampling.
    expectSamePixels(*reduced.bitmap, *djpeg(file, "-scale 1/4 -dct fast -nosmooth"));
}

TEST(JpegDecode, appliesAnEmbeddedColourProfile) {
    const auto file = sample("exiv2/exiv2-bug884a.jpg");  // carries a monitor profile
    TAVRIN_REQUIRE_SAMPLE(file);
    const auto managed = decodeImageFile(file);
    const auto plain = decodeImageFile(file, DecodeOptions{0, 0, false});
    ASSERT_EQ(managed.status, Status::Ok);
    ASSERT_EQ(plain.status, Status::Ok);
    long changed = 0;
    for (int y = 0; y < plain.bitmap->height(); ++y) {
        changed += std::memcmp(plain.bitmap->row(y), managed.bitmap->row(y),
                               static_cast<std::size_t>(plain.bitmap->width()) * 3) != 0;
    }
    EXPECT_GT(changed, 0);
}

// Several threads converting pictures with one profile at once share its transform: each gets
// the pixels a decode on its own gives.
TEST(JpegDecode, aColourProfileAppliedOnSeveralThreadsAtOnceGivesTheSamePixels) {
    const auto file = sample("exiv2/exiv2-bug884a.jpg");  // carries a monitor profile
    TAVRIN_REQUIRE_SAMPLE(file);
    const auto bytes = files::readBytes(file);
    ASSERT_TRUE(bytes);
    const auto alone = decodeImage(*bytes);
    ASSERT_EQ(alone.status, Status::Ok);
    const Bitmap& expected = *alone.bitmap;
    std::atomic<int> differing = 0;
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&] {
                for (int i = 0; i < 5; ++i) {
                    const auto again = decodeImage(*bytes);
                    bool same = again.status == Status::Ok;
                    for (int y = 0; same && y < expected.height(); ++y) {
                        same = std::memcmp(again.bitmap->row(y), expected.row(y),
                                           static_cast<std::size_t>(expected.width()) * 3) == 0;
                    }
                    if (!same) ++differing;
                }
            });
        }
    }
    EXPECT_EQ(differing, 0);
}

// An independent reader of uncompressed, chunky, 8-bit RGB strips.
std::optional<Ppm> readPlainTiff(const std::vector<std::uint8_t>& d) {
    const bool le = d[0] == 'I';
    auto u16 = [&](std::size_t at) { return le ? d[at] | d[at + 1] << 8 : d[at] << 8 | d[at + 1]; };
    auto u32 = [&](std::size_t at) {
        return le ? u16(at) | static_cast<std::uint32_t>(u16(at + 2)) << 16
                  : static_cast<std::uint32_t>(u16(at)) << 16 | u16(at + 2);
    };
    const std::uint32_t ifd = u32(4);
    Ppm ppm;
    std::vector<std::uint32_t> offsets;
    std::uint32_t rowsPerStrip = 0, compression = 0;
    for (int i = 0; i < u16(ifd); ++i) {
        const std::size_t e = ifd + 2 + i * 12;
        const int tag = u16(e), type = u16(e + 2);
        const std::uint32_t count = u32(e + 4);
        auto value = [&](std::uint32_t k) -> std::uint32_t {
            const std::size_t size = type == 3 ? 2 : 4;
            const std::size_t at = count * size <= 4 ? e + 8 : u32(e + 8);
            return type == 3 ? u16(at + k * 2) : u32(at + k * 4);
        };
        if (tag == 256) ppm.width = static_cast<int>(value(0));
        if (tag == 257) ppm.height = static_cast<int>(value(0));
        if (tag == 259) compression = value(0);
        if (tag == 278) rowsPerStrip = value(0);
        if (tag == 273) {
            for (std::uint32_t k = 0; k < count; ++k)
                offsets.push_back(value(k));
        }
    }
    if (compression != 1 || offsets.empty()) return std::nullopt;
    const std::size_t rowBytes = static_cast<std::size_t>(ppm.width) * 3;
    for (int y = 0; y < ppm.height; ++y) {
        const std::size_t at = offsets[y / rowsPerStrip] + (y % rowsPerStrip) * rowBytes;
        ppm.rgb.insert(ppm.rgb.end(), d.begin() + static_cast<long>(at),
                       d.begin() + static_cast<long>(at + rowBytes));
    }
    return ppm;
}

TEST(TiffDecode, matchesAnIndependentReadOfACameraTiff) {
    const auto file = sample("digicam_corpus/Olympus/D-450/P3110005.TIF");
    TAVRIN_REQUIRE_SAMPLE(file);
    const auto bytes = files::readBytes(file);
    const auto decoded = decodeImage(*bytes);
    ASSERT_EQ(decoded.status, Status::Ok);
    const auto ref = readPlainTiff(*bytes);
    ASSERT_TRUE(ref);
    expectSamePixels(*decoded.bitmap, *ref);
}

TEST(TiffDecode, readsCompressedCameraTiffs) {
    for (const auto* name : {"exiftool/ExifTool.tif", "exiv2/test.tiff"}) {
        const auto file = sample(name);
        TAVRIN_REQUIRE_SAMPLE(file);
        const auto decoded = decodeImageFile(file);
        ASSERT_EQ(decoded.status, Status::Ok) << name;
        EXPECT_GT(decoded.bitmap->width(), 0);
    }
}

// Opaque pixels keep their colours exactly; transparent ones are laid over white.
TEST(TiffDecode, laysTransparentPixelsOverWhite) {
    using namespace fixtures;
    const Bytes rgba{10, 20, 30, 255, 0, 0, 0, 0, 200, 100, 50, 255};  // associated alpha
    const Fields f;
    auto build = [&](std::uint32_t at) {
        return tiff(
            {Ifd{{f.shorts(256, {3}), f.shorts(257, {1}), f.shorts(258, {8, 8, 8, 8}),
                  f.shorts(259, {1}), f.shorts(262, {2}), f.longs(273, {at}), f.shorts(277, {4}),
                  f.shorts(278, {1}), f.longs(279, {static_cast<std::uint32_t>(rgba.size())}),
                  f.shorts(338, {1})}}});
    };
    Bytes file = build(static_cast<std::uint32_t>(build(0).size()));
    file.insert(file.end(), rgba.begin(), rgba.end());
    const auto decoded = decodeImage(file);
    ASSERT_EQ(decoded.status, Status::Ok);
    EXPECT_EQ(pixel(*decoded.bitmap, 0, 0), (Rgb{10, 20, 30}));
    EXPECT_EQ(pixel(*decoded.bitmap, 1, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(pixel(*decoded.bitmap, 2, 0), (Rgb{200, 100, 50}));
}

std::vector<std::uint8_t> bmp(int width, int height, int bits, bool topDown,
                              const std::vector<std::uint8_t>& palette,
                              const std::vector<std::uint8_t>& rows) {
    std::vector<std::uint8_t> d(54 + palette.size() + rows.size());
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            d[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    d[0] = 'B';
    d[1] = 'M';
    put32(10, static_cast<std::uint32_t>(54 + palette.size()));
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(width));
    put32(22, static_cast<std::uint32_t>(topDown ? -height : height));
    d[26] = 1;
    d[28] = static_cast<std::uint8_t>(bits);
    d[46] = static_cast<std::uint8_t>(palette.size() / 4);  // colours used
    std::copy(rows.begin(), rows.end(), std::copy(palette.begin(), palette.end(), d.begin() + 54));
    put32(2, static_cast<std::uint32_t>(d.size()));
    return d;
}

TEST(BmpDecode, readsBottomUpTopDownAndPalettedRows) {
    // 2 x 2, 24 bits, bottom-up: the first stored row is the bottom one.
    const auto bottomUp = decodeImage(bmp(2, 2, 24, false, {},
                                          {0, 0, 255, 0, 255, 0, 0, 0,  // red, green, padding
                                           255, 0, 0, 255, 255, 255, 0, 0}));  // blue, white
    ASSERT_EQ(bottomUp.status, Status::Ok);
    EXPECT_EQ(pixel(*bottomUp.bitmap, 0, 1), (Rgb{255, 0, 0}));
    EXPECT_EQ(pixel(*bottomUp.bitmap, 1, 0), (Rgb{255, 255, 255}));

    const auto topDown = decodeImage(bmp(1, 2, 32, true, {}, {1, 2, 3, 0, 4, 5, 6, 0}));
    ASSERT_EQ(topDown.status, Status::Ok);
    EXPECT_EQ(pixel(*topDown.bitmap, 0, 0), (Rgb{3, 2, 1}));

    const auto paletted =
        decodeImage(bmp(3, 1, 8, false, {10, 20, 30, 0, 40, 50, 60, 0}, {1, 0, 1, 0}));
    ASSERT_EQ(paletted.status, Status::Ok);
    EXPECT_EQ(pixel(*paletted.bitmap, 0, 0), (Rgb{60, 50, 40}));
    EXPECT_EQ(pixel(*paletted.bitmap, 1, 0), (Rgb{30, 20, 10}));
}

TEST(Decode, refusesOtherFormatsGarbageAndLyingOrTruncatedFiles) {
    EXPECT_EQ(decodeImage({}).status, Status::UnknownImageFormat);
    const std::vector<std::uint8_t> ppm{'P', '6', '\n', '1',  ' ', '1', '\n',
                                        '2', '5', '5',  '\n', 1,   2,   3};
    EXPECT_EQ(decodeImage(ppm).status, Status::UnknownImageFormat);
    EXPECT_EQ(decodeImageFile("/no/such/file.jpg").status, Status::FileNotFound);

    // A BMP claiming more rows than it has, and one claiming an absurd size.
    EXPECT_NE(decodeImage(bmp(2, 200, 24, false, {}, std::vector<std::uint8_t>(16))).status,
              Status::Ok);
    EXPECT_NE(decodeImage(bmp(60000, 60000, 24, false, {}, {})).status, Status::Ok);
    // Headers only.
    EXPECT_NE(decodeImage(std::vector<std::uint8_t>{0xFF, 0xD8, 0xFF}).status, Status::Ok);
    EXPECT_NE(decodeImage(std::vector<std::uint8_t>{'I', 'I', 42, 0, 8, 0, 0, 0}).status,
              Status::Ok);
    EXPECT_NE(decodeImage(std::vector<std::uint8_t>{'B', 'M', 0, 0}).status, Status::Ok);
}

TEST(Decode, aJpegThatLiesAboutItsSizeIsRefusedBeforeAllocating) {
    const auto file = sample("digicam_corpus/Canon/PowerShot G2/IMG_0307.JPG");
    TAVRIN_REQUIRE_SAMPLE(file);
    auto bytes = *files::readBytes(file);
    // Rewrite the frame header's height and width (SOF0: FF C0 len(2) precision(1) h(2) w(2)),
    // walking the segments so that the EXIF thumbnail's own frame header is passed over.
    std::size_t at = 2;
    while (at + 9 < bytes.size() && bytes[at + 1] != 0xC0)
        at += 2 + (bytes[at + 2] << 8 | bytes[at + 3]);
    ASSERT_LT(at + 9, bytes.size());
    bytes[at + 5] = 0x2E, bytes[at + 6] = 0xE0;  // 12000 x 12000: within the pixel limit,
    bytes[at + 7] = 0x2E, bytes[at + 8] = 0xE0;  // far beyond what 113 KB can hold
    EXPECT_EQ(decodeImage(bytes).status, Status::ValueOverflow);

    // Cut anywhere: a picture or a failure, never a crash.
    const auto whole = *files::readBytes(file);
    for (std::size_t cut :
         {std::size_t{4}, std::size_t{200}, std::size_t{700}, whole.size() / 3, whole.size() - 1}) {
        const auto d = decodeImage(std::span(whole.data(), cut));
        EXPECT_EQ(d.status == Status::Ok, d.bitmap != nullptr);
    }
}

TEST(Bitmap, rotateFlipTurnsClockwiseAndExchangesTheSides) {
    // 3 x 2 with a distinct value per pixel: red = x, green = y.
    auto make = [] {
        auto b = Bitmap::create(3, 2);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                std::uint8_t* p = b->row(y) + x * 3;
                p[2] = static_cast<std::uint8_t>(x);
                p[1] = static_cast<std::uint8_t>(y);
            }
        return b;
    };
    auto b = make();
    ASSERT_EQ(b->rotateFlip(RotateFlip::Rotate90FlipNone), Status::Ok);
    ASSERT_EQ(b->width(), 2);
    ASSERT_EQ(b->height(), 3);
    EXPECT_EQ(pixel(*b, 1, 0), (Rgb{0, 0, 0}));  // the top-left corner went to the top right
    EXPECT_EQ(pixel(*b, 0, 0), (Rgb{0, 1, 0}));
    EXPECT_EQ(pixel(*b, 0, 2), (Rgb{2, 1, 0}));

    b = make();
    b->rotateFlip(RotateFlip::Rotate180FlipNone);
    EXPECT_EQ(pixel(*b, 0, 0), (Rgb{2, 1, 0}));
    b = make();
    b->rotateFlip(RotateFlip::Rotate270FlipNone);
    EXPECT_EQ(b->width(), 2);
    EXPECT_EQ(pixel(*b, 0, 2), (Rgb{0, 0, 0}));  // the top-left corner went to the bottom left
    b = make();
    b->rotateFlip(RotateFlip::RotateNoneFlipX);
    EXPECT_EQ(pixel(*b, 0, 0), (Rgb{2, 0, 0}));

    b = make();
    for (int i = 0; i < 4; ++i)
        b->rotateFlip(RotateFlip::Rotate90FlipNone);
    const auto original = make();
    for (int y = 0; y < 2; ++y)
        EXPECT_EQ(std::memcmp(b->row(y), original->row(y), 9), 0);
}

// Every combined type is its turn, one quarter at a time, then the mirror: pixel for pixel, on a
// picture whose rows need padding.
TEST(Bitmap, rotateFlipOfEachTypeIsItsQuarterTurnsThenTheMirror) {
    auto make = [] {
        auto b = Bitmap::create(5, 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) {
                std::uint8_t* p = b->row(y) + x * 3;
                p[0] = static_cast<std::uint8_t>(x), p[1] = static_cast<std::uint8_t>(y), p[2] = 9;
            }
        return b;
    };
    for (int type = 1; type < 8; ++type) {
        auto direct = make();
        ASSERT_EQ(direct->rotateFlip(static_cast<RotateFlip>(type)), Status::Ok);
        auto stepwise = make();
        for (int turn = 0; turn < (type & 3); ++turn)
            stepwise->rotateFlip(RotateFlip::Rotate90FlipNone);
        if (type >= 4) stepwise->rotateFlip(RotateFlip::RotateNoneFlipX);
        ASSERT_EQ(direct->width(), stepwise->width()) << type;
        ASSERT_EQ(direct->height(), stepwise->height()) << type;
        for (int y = 0; y < direct->height(); ++y) {
            EXPECT_EQ(std::memcmp(direct->row(y), stepwise->row(y), direct->width() * 3u), 0)
                << type << " row " << y;
        }
    }
}

TEST(Painter, centresTextAndMarksCharactersTheFaceLacks) {
    auto drawn = [](std::string_view text) {
        auto bitmap = Bitmap::create(200, 40);
        bitmap->clear(0xFFFFFFFF);
        Painter painter(*bitmap);
        painter.drawCenteredText(0, 0, 200, 40, text, rgb(0, 0, 0));
        return bitmap;
    };
    const auto text = drawn("Bitte warten während das Bild lädt...");
    int left = 200, right = -1, top = 40, bottom = -1;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 200; ++x) {
            if (text->row(y)[3 * x] != 0) continue;
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
    }
    ASSERT_GE(right, 0);
    EXPECT_NEAR(left + right, 200, 6);  // centred across
    EXPECT_NEAR(top + bottom, 40, 6);   // and down
    const auto unknown = drawn("\xE2\x82\xAC"), question = drawn("?");
    for (int y = 0; y < 40; ++y)
        ASSERT_EQ(std::memcmp(unknown->row(y), question->row(y), 600), 0);
}

TEST(Painter, drawsLinesRectanglesAndClippedCopies) {
    auto target = Bitmap::create(5, 4);
    target->clear(0xFFFFFFFF);
    Painter painter(*target);
    const auto at = [&](int x, int y) {
        const std::uint8_t* p = target->row(y) + 3 * x;
        return rgb(p[2], p[1], p[0]);
    };
    painter.selectPen({rgb(255, 0, 0), true});
    painter.moveTo(0, 0);
    painter.lineTo(5, 0);  // dotted, the end point left out
    EXPECT_EQ(at(0, 0), rgb(255, 0, 0));
    EXPECT_EQ(at(1, 0), rgb(255, 255, 255));
    EXPECT_EQ(at(4, 0), rgb(255, 0, 0));
    painter.selectPen({});
    painter.rectangle(0, 1, 4, 4, rgb(0, 0, 255));
    EXPECT_EQ(at(0, 1), 0u);  // the frame
    EXPECT_EQ(at(3, 3), 0u);
    EXPECT_EQ(at(1, 2), rgb(0, 0, 255));  // the brush
    EXPECT_EQ(at(4, 2), rgb(255, 255, 255));

    auto source = Bitmap::create(3, 3);
    source->clear(0xFF102030);
    source->row(1)[3] = 0x99;      // blue of pixel (1, 1)
    painter.copy(*source, 3, -1);  // overhangs right and top
    EXPECT_EQ(at(4, 0), rgb(0x10, 0x20, 0x99));
    EXPECT_EQ(at(3, 1), rgb(0x10, 0x20, 0x30));
    EXPECT_EQ(at(2, 1), 0u);
}

TEST(Bitmap, locksRowsOfARectangleOnceAtATime) {
    auto b = solid(10, 4, {1, 2, 3});
    BitmapData data;
    EXPECT_EQ(b->lockBits({8, 0, 3, 1}, LockMode::Read, data), Status::InvalidParameter);
    ASSERT_EQ(b->lockBits({2, 1, 3, 2}, LockMode::ReadWrite, data), Status::Ok);
    EXPECT_EQ(data.stride, 32);  // 30 bytes padded to four
    EXPECT_EQ(data.scan0, b->row(1) + 6);
    BitmapData again;
    EXPECT_EQ(b->lockBits({0, 0, 1, 1}, LockMode::Read, again), Status::WrongState);
    data.scan0[0] = 99;
    EXPECT_EQ(b->unlockBits(data), Status::Ok);
    EXPECT_EQ(pixel(*b, 2, 1).b, 99);
    EXPECT_FALSE(Bitmap::create(0, 5));
    EXPECT_FALSE(Bitmap::create(70000, 1));
}

TEST(Scaling, aBicubicDownscaleOfAGradientStaysMonotoneAndInRange) {
    auto gradient = Bitmap::create(600, 400);
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 600; ++x) {
            const auto v = static_cast<std::uint8_t>(10 + x * 235 / 599);
            std::memset(gradient->row(y) + x * 3, v, 3);
        }
    for (const auto& size : {std::pair{64, 43}, std::pair{599, 401}, std::pair{1200, 10}}) {
        auto out = Bitmap::create(size.first, size.second);
        Graphics g(*out);
        g.setInterpolationMode(InterpolationMode::HighQualityBicubic);
        ASSERT_EQ(g.drawImage(*gradient, RectF{0, 0, float(size.first), float(size.second)}),
                  Status::Ok);
        for (int y = 0; y < out->height(); ++y) {
            int previous = 0;
            for (int x = 0; x < out->width(); ++x) {
                const Rgb p = pixel(*out, x, y);
                ASSERT_GE(p.r, previous) << size.first << " at " << x;
                ASSERT_GE(p.r, 10);
                ASSERT_LE(p.r, 245);
                previous = p.r;
            }
        }
    }
}

// Each channel keeps its place, and a row's last pixel (with nothing after it in memory when
// the row needs no padding) is read like the others: at scale 1 the picture comes back as it was.
TEST(Scaling, keepsEveryChannelAndTheLastPixelOfEachRow) {
    for (const int width : {8, 9}) {
        auto picture = Bitmap::create(width, 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < width; ++x) {
                std::uint8_t* p = picture->row(y) + x * 3;
                p[0] = static_cast<std::uint8_t>(10 + x);
                p[1] = static_cast<std::uint8_t>(100 + y);
                p[2] = static_cast<std::uint8_t>(250 - x * y);
            }
        const auto same = picture->thumbnail(width, 3);
        for (int y = 0; y < 3; ++y)
            EXPECT_EQ(std::memcmp(same->row(y), picture->row(y), width * 3u), 0) << width;
    }
}

// The cubic filter rings beyond black and white at a hard edge: the overshoot is clamped to the
// nearest end of the range in each channel, never wrapped round to the other end.
TEST(Scaling, anOvershootAtAHardEdgeStaysAtBlackOrWhite) {
    auto edge = Bitmap::create(16, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 16; ++x) {
            const std::uint8_t v = x < 8 ? 0 : 255;
            std::uint8_t* p = edge->row(y) + x * 3;
            p[0] = v;
            p[1] = static_cast<std::uint8_t>(255 - v);
            p[2] = v;
        }
    const auto wide = edge->thumbnail(64, 4);
    for (int y = 0; y < 4; ++y) {
        int previous = 0;
        for (int x = 0; x < 64; ++x) {
            const Rgb p = pixel(*wide, x, y);
            EXPECT_GE(p.b, previous) << x;
            EXPECT_EQ(p.g, 255 - p.b) << x;
            EXPECT_EQ(p.r, p.b) << x;
            previous = p.b;
        }
        EXPECT_EQ(pixel(*wide, 0, y).b, 0);
        EXPECT_EQ(pixel(*wide, 63, y).b, 255);
    }
}

TEST(Scaling, aDownscaleAveragesFineDetailInsteadOfSkippingIt) {
    // One-pixel black and white columns average to grey, not to whichever column a sample hits.
    auto stripes = Bitmap::create(400, 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 400; ++x)
            std::memset(stripes->row(y) + x * 3, x % 2 ? 255 : 0, 3);
    const auto small = stripes->thumbnail(40, 4);
    for (int x = 1; x < 39; ++x)
        EXPECT_NEAR(pixel(*small, x, 2).r, 128, 3) << x;
}

TEST(Graphics, drawsThroughATurnedTransformWithoutSoftEdges) {
    auto canvas = solid(40, 40, {255, 255, 255});
    const auto red = solid(10, 10, {255, 0, 0});
    Graphics g(*canvas);
    g.setInterpolationMode(InterpolationMode::HighQualityBicubic);
    g.translateTransform(20, 20);
    g.rotateTransform(45);
    ASSERT_EQ(g.drawImage(*red, RectF{-5, -5, 10, 10}), Status::Ok);
    int redPixels = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            const Rgb p = pixel(*canvas, x, y);
            ASSERT_TRUE(p == (Rgb{255, 0, 0}) || p == (Rgb{255, 255, 255})) << x << "," << y;
            redPixels += p.g == 0;
        }
    EXPECT_NEAR(redPixels, 100, 12);                      // the area of the square
    EXPECT_EQ(pixel(*canvas, 20, 13), (Rgb{255, 0, 0}));  // a diamond: its top corner near y 13
    EXPECT_EQ(pixel(*canvas, 15, 15), (Rgb{255, 255, 255}));

    // A quarter turn maps the source's top-left corner to the top right.
    auto marked = solid(4, 2, {0, 0, 255});
    std::memset(marked->row(0), 0, 3);  // black top-left pixel
    auto turned = solid(2, 4, {255, 255, 255});
    Graphics t(*turned);
    t.setInterpolationMode(InterpolationMode::NearestNeighbor);
    t.translateTransform(2, 0);
    t.rotateTransform(90);
    t.drawImage(*marked, RectF{0, 0, 4, 2});
    EXPECT_EQ(pixel(*turned, 1, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(pixel(*turned, 0, 3), (Rgb{0, 0, 255}));
}

TEST(Graphics, drawsASourceRectangleIntoADestinationRectangle) {
    auto canvas = solid(20, 10, {0, 0, 0});
    auto source = solid(8, 8, {0, 255, 0});
    std::memset(source->row(0), 200, 8 * 3);  // a grey top row outside the source rectangle
    Graphics g(*canvas);
    g.setInterpolationMode(InterpolationMode::HighQualityBicubic);
    ASSERT_EQ(g.drawImage(*source, RectF{5, 2, 10, 6}, RectF{0, 2, 8, 6}), Status::Ok);
    EXPECT_EQ(pixel(*canvas, 4, 5), (Rgb{0, 0, 0}));
    EXPECT_EQ(pixel(*canvas, 5, 2), (Rgb{0, 255, 0}));
    EXPECT_EQ(pixel(*canvas, 14, 7), (Rgb{0, 255, 0}));
    EXPECT_EQ(pixel(*canvas, 15, 7), (Rgb{0, 0, 0}));
    EXPECT_EQ(pixel(*canvas, 10, 8), (Rgb{0, 0, 0}));
    EXPECT_EQ(g.drawImage(*source, RectF{0, 0, 0, 5}), Status::InvalidParameter);
}

TEST(Handles, belongToTheirOwnerAndKeepThePixels) {
    BitmapHandle handle(createHBitmap(solid(3, 3, {9, 8, 7}), 0xFF000000));
    ASSERT_TRUE(handle);
    EXPECT_EQ(pixel(*bitmapOf(handle.get()), 2, 2), (Rgb{9, 8, 7}));
    EXPECT_EQ(pixel(*bitmapFromHBitmap(handle.get()), 0, 0), (Rgb{9, 8, 7}));
    HBITMAP raw = handle.release();
    EXPECT_TRUE(DeleteObject(raw));
    EXPECT_FALSE(DeleteObject(nullptr));
}

TEST(Png, writesAnRgbPictureOfTheBitmapsSize) {
    const auto b = solid(300, 7, {1, 2, 3});
    const auto png = encodePng(*b);
    ASSERT_TRUE(png);
    ASSERT_GT(png->size(), 24u);
    EXPECT_EQ(std::memcmp(png->data(), "\x89PNG\r\n\x1a\n", 8), 0);
    EXPECT_EQ((*png)[19], 44);  // IHDR width 300 = 0x12C
    EXPECT_EQ((*png)[23], 7);
    EXPECT_EQ((*png)[25], 2);  // colour type RGB
    TempDir dir;
    EXPECT_TRUE(writePng(*b, dir.path() / "out.png"));
    EXPECT_FALSE(writePng(*b, dir.path() / "missing" / "out.png"));
}

TEST(Png, keptAndHandedOffFilesHoldTheSamePixels) {
    auto b = Bitmap::create(37, 23);
    ASSERT_TRUE(b);
    for (int y = 0; y < b->height(); ++y) {
        for (int x = 0; x < b->width() * 3; ++x)
            b->row(y)[x] = static_cast<std::uint8_t>(x * 7 + y * 13);
    }
    const auto kept = encodePng(*b, PngUse::Keep);
    const auto handedOff = encodePng(*b, PngUse::Handoff);
    ASSERT_TRUE(kept && handedOff);
    for (const auto* png : {&*kept, &*handedOff}) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        ASSERT_TRUE(png_image_begin_read_from_memory(&image, png->data(), png->size()));
        image.format = PNG_FORMAT_BGR;
        std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
        ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
        ASSERT_EQ(image.width, 37u);
        for (int y = 0; y < b->height(); ++y) {
            ASSERT_EQ(std::memcmp(&pixels[static_cast<std::size_t>(y) * 37 * 3], b->row(y), 37 * 3),
                      0)
                << "row " << y;
        }
    }
    TempDir dir;
    EXPECT_TRUE(writePng(*b, dir.path() / "thumb.png", PngUse::Handoff));
    EXPECT_EQ(files::readBytes(dir.path() / "thumb.png"), handedOff);
}

}  // namespace
}  // namespace tavrin::imaging
