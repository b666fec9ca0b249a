#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <set>
#include <string_view>

#include "rawengine/loader_exception.hpp"
#include "rawengine/loaders/canon_compressed.hpp"
#include "rawengine/loaders/canon_tables.hpp"
#include "rawengine/loaders/lossless_jpeg.hpp"
#include "rawengine/loaders/raw_loaders.hpp"
#include "tests/fixtures/raw_encoders.hpp"
#include "tests/rawengine/engine_rig.hpp"

namespace tavrin::raw {
namespace {

using fixtures::Bytes;

std::vector<std::uint16_t> randomSamples(std::size_t n, int limit, unsigned seed = 7) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> value(0, limit);
    std::vector<std::uint16_t> out(n);
    for (auto& v : out)
        v = static_cast<std::uint16_t>(value(random));
    return out;
}

TEST(LosslessJpeg, placesEverySampleAndTakesBlackFromTheMargins) {
    // Two components of 8 columns: 16 sensor columns, of which 2 + 2 are margins.
    const auto samples = randomSamples(16 * 6, 4095);
    Rig rig({6, 16, 1, 2, 4, 12});
    rig.load(loadLosslessJpegRaw, fixtures::losslessJpeg(12, 8, 6, 2, samples));
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 12; ++c)
            ASSERT_EQ(rig.at(r, c), samples[(r + 1) * 16 + c + 2]) << r << "," << c;
    }
    // The masked columns of the visible rows give the black level.
    int sum = 0;
    for (int r = 1; r < 5; ++r) {
        for (int c : {0, 1, 14, 15})
            sum += samples[r * 16 + c];
    }
    EXPECT_EQ(rig.s.sensor.blackLevel, sum / 16);
}

TEST(LosslessJpeg, sharesAPixelPerBlockAtHalfSizeAndUsesTheLowestSampleForKodak) {
    std::vector<std::uint16_t> samples(8 * 4);
    std::iota(samples.begin(), samples.end(), 100);
    Rig rig({4, 8, 0, 0, 4, 8}, true);
    rig.s.id.make = "Kodak";
    rig.load(loadLosslessJpegRaw, fixtures::losslessJpeg(12, 4, 4, 2, samples));
    EXPECT_EQ(rig.at(3, 7), 131);
    EXPECT_EQ(rig.at(2, 6), 122);  // a different channel of the same pixel
    EXPECT_EQ(rig.s.sensor.blackLevel, 100);
}

TEST(LosslessJpeg, rowStartsWrapInsteadOfOverflowingOnHostileDifferences) {
    // Each row of a one-column frame adds +40000 to the row-start predictor: after 53687 rows
    // the sum leaves the int range. Samples take its low 16 bits.
    const int rows = 60000;
    Bytes file = fixtures::losslessJpeg(16, 1, rows, 1, std::vector<std::uint16_t>(rows, 0));
    // The headers up to the scan's data, then a scan of our own.
    const std::uint8_t marker[] = {0xFF, 0xDA};
    const auto sos = std::search(file.begin(), file.end(), std::begin(marker), std::end(marker));
    ASSERT_NE(sos, file.end());
    file.erase(sos + 2 + (sos[2] << 8 | sos[3]), file.end());
    Bytes table(16, 0);
    table[4] = 17;  // the fixture's table: symbols 0 ... 16 with 5-bit codes
    for (std::uint8_t symbol = 0; symbol <= 16; ++symbol)
        table.push_back(symbol);
    const auto codes = fixtures::huffmanCodes(table);
    fixtures::BitWriter bits(true);
    for (int r = 0; r < rows; ++r)
        fixtures::putDifference(bits, codes, 40000);
    const Bytes scan = bits.finish();
    file.insert(file.end(), scan.begin(), scan.end());
    file.insert(file.end(), {0xFF, 0xD9});

    Rig rig({rows, 1, 0, 0, rows, 1});
    rig.load(loadLosslessJpegRaw, file);
    for (const int r : {0, 53686, 53687, rows - 1})
        EXPECT_EQ(rig.at(r, 0), (32768 + (r + 1) * 40000LL) % 65536) << "row " << r;
}

TEST(LosslessJpeg, leavesTheImageBlackForOtherData) {
    for (const Bytes& data : {Bytes{'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'},
                              Bytes{0xFF, 0xD8, 0xFF, 0xC0, 0, 2}, fixtures::jpeg(16, 8)}) {
        Rig rig({8, 16, 0, 0, 8, 16});
        rig.load(loadLosslessJpegRaw, data);
        EXPECT_EQ(rig.at(3, 3), 0);
    }
}

TEST(LosslessJpeg, survivesEveryTruncation) {
    const Bytes full = fixtures::losslessJpeg(12, 8, 6, 2, randomSamples(16 * 6, 4095));
    Rig whole({6, 16, 0, 0, 6, 16});
    whole.load(loadLosslessJpegRaw, full);
    // How many samples, in the order they are coded, a cut stream decodes as the whole does.
    const auto agreeing = [&](const Rig& rig) {
        int n = 0;
        while (n < 96 && rig.at(n / 16, n % 16) == whole.at(n / 16, n % 16))
            ++n;
        return n;
    };
    int before = 0;
    for (std::size_t length = 0; length < full.size(); length += 3) {
        Rig rig({6, 16, 0, 0, 6, 16});
        rig.load(loadLosslessJpegRaw, Bytes(full.begin(), full.begin() + length));
        // A longer part never decodes less.
        const int n = agreeing(rig);
        EXPECT_GE(n, before) << length;
        before = n;
        if (length == 0) {
            EXPECT_EQ(n, 0);
        }
    }
    EXPECT_GT(before, 48);  // the last cut, a few bytes short, holds most of the picture
}

TEST(LosslessJpeg, stopsWhereTheDataEndsWhateverTheFrameClaims) {
    Bytes stream = fixtures::losslessJpeg(12, 8, 6, 2, randomSamples(16 * 6, 4095));
    for (std::size_t i = 0; i + 8 < stream.size(); ++i) {
        if (stream[i] == 0xFF && stream[i + 1] == 0xC3) {
            // 65535 rows of 65535 columns: billions of samples from a few hundred bytes.
            std::fill(stream.begin() + static_cast<std::ptrdiff_t>(i) + 5,
                      stream.begin() + static_cast<std::ptrdiff_t>(i) + 9, 0xFF);
            break;
        }
    }
    Rig rig({6, 16, 0, 0, 6, 16});
    rig.load(loadLosslessJpegRaw, stream);
    EXPECT_NE(rig.at(0, 0), 0);  // the first samples are still there
}

// Two tiles side by side, found through a table of tile offsets.
TEST(DngLossless, readsTilesThroughTheOffsetTable) {
    const auto left = randomSamples(8 * 4, 4095, 1), right = randomSamples(8 * 4, 4095, 2);
    const Bytes tile1 = fixtures::losslessJpeg(12, 4, 4, 2, left);
    const Bytes tile2 = fixtures::losslessJpeg(12, 4, 4, 2, right);
    Bytes file(8, 0);
    const auto put32 = [&](std::size_t at, std::size_t v) {
        for (int i = 0; i < 4; ++i)
            file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    put32(0, 8);
    put32(4, 8 + tile1.size());
    file.insert(file.end(), tile1.begin(), tile1.end());
    file.insert(file.end(), tile2.begin(), tile2.end());
    Rig rig({4, 16, 0, 0, 4, 16});
    rig.load(loadDngLosslessRaw, file);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 8; ++c) {
            ASSERT_EQ(rig.at(r, c), left[r * 8 + c]);
            ASSERT_EQ(rig.at(r, c + 8), right[r * 8 + c]);
        }
    }
}

TEST(DngLossless, stopsAtTilesOutsideTheFile) {
    Rig rig({64, 64, 0, 0, 64, 64});
    rig.load(loadDngLosslessRaw, Bytes{0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0});
    EXPECT_EQ(rig.at(0, 0), 0);
}

TEST(CanonCompressed, buildsTheTableSetsAsGiven) {
    HuffmanPool pool;
    const CanonTrees trees = initCanonTrees(pool, 7);  // numbers above 2 use set 2
    formats::FileReader file;
    file.openMemory({0b00100000, 0, 0, 0, 0, 0});  // 001: the set's second 3-bit code
    BitReader bits(file);
    bits.GetBits(-1);
    EXPECT_EQ(decodeSymbol(trees.firstTreeRoot, bits), 0x05);
    const CanonTrees set0 = initCanonTrees(pool, 0);
    file.openMemory({0b00010000, 0, 0, 0, 0, 0});  // 00: symbol 04, then 010: symbol 03
    bits.GetBits(-1);
    EXPECT_EQ(decodeSymbol(set0.firstTreeRoot, bits), 0x04);
    EXPECT_EQ(decodeSymbol(set0.firstTreeRoot, bits), 0x03);
}

// A CRW-like file of a 16 x 8 sensor: header bytes up to 540, then coded blocks. Coded data
// holds 0xFF only as a stuffed pair; one such pair says there are no low bits.
Bytes canonFile(const Bytes& coded, bool withLowBits) {
    Bytes file(540, 0);
    if (withLowBits) file.insert(file.end(), 16 * 8 / 4, 0);
    file.insert(file.end(), coded.begin(), coded.end());
    if (!withLowBits) file.insert(file.end(), {0xFF, 0x00});
    file.resize(file.size() + 64, 0);
    return file;
}

TEST(CanonCompressed, decodesBlocksFromTheBaseOfEachRow) {
    // Set 0, two blocks of 64 samples (one band of 8 rows of a 16-wide sensor). First tree:
    // 00 = symbol 04 (4 bits follow). Second tree: symbol 0x00 ends a block early.
    const Bytes second(kCanonTrees[0].second.begin(), kCanonTrees[0].second.end());
    const fixtures::Code end = fixtures::huffmanCodes(second)[0];
    fixtures::BitWriter bits(true);
    bits.put(0b00, 2), bits.put(0b1010, 4);  // block 1: difference +10, then end of block
    bits.put(end.bits, end.length);
    bits.put(0b00, 2), bits.put(0b0101, 4);  // block 2: difference -10 to the carried +10
    bits.put(end.bits, end.length);
    Rig rig({8, 16, 0, 0, 8, 16});
    rig.load(loadCanonCompressedRaw, canonFile(bits.finish(), false));
    EXPECT_EQ(rig.s.sensor.whiteLevel, 1023);  // no low bits: 10-bit samples
    EXPECT_EQ(rig.at(0, 0), 522);              // 512 + 10
    EXPECT_EQ(rig.at(0, 2), 522);              // same base, no difference
    EXPECT_EQ(rig.at(0, 1), 512);
    EXPECT_EQ(rig.at(4, 0), 512);  // second block: the carried difference is 0 now
}

TEST(CanonCompressed, takesDataWithoutAnyFFByteAsHavingLowBits) {
    Rig rig({8, 16, 0, 0, 8, 16});
    rig.s.sensor.whiteLevel = 4095;
    rig.load(loadCanonCompressedRaw, canonFile(Bytes(64, 0), true));
    EXPECT_EQ(rig.s.sensor.whiteLevel, 4095);
    // Zero bits: symbol 04 and the difference 0000 (-15), widened by two zero low bits.
    EXPECT_EQ(rig.at(0, 0), (512 - 15) * 4);
}

TEST(NikonCompressed, decodesThroughTheCurveWithinItsSize) {
    const int width = 12, height = 4;
    auto indexes = randomSamples(width * height, 1000);
    std::vector<std::uint16_t> curve(1001);
    for (std::size_t i = 0; i < curve.size(); ++i)
        curve[i] = static_cast<std::uint16_t>(i * 3);
    const auto coded = fixtures::nikonCompressed(width, height, indexes, curve);
    Bytes file = coded.curveBlock;
    file.insert(file.end(), coded.data.begin(), coded.data.end());
    Rig rig({height, width, 0, 2, height, width - 2});
    rig.s.container.nikonCurveOffset = 0;
    rig.s.container.dataOffset = coded.curveBlock.size();
    rig.file.setOrder(formats::kBigEndian);
    rig.load(loadNikonCompressedRaw, file);
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width - 2; ++c)
            ASSERT_EQ(rig.at(r, c), indexes[r * width + c + 2] * 3);
    }
    EXPECT_EQ(rig.s.sensor.whiteLevel, 3000);

    // A curve shorter than the values: never read beyond its last entry.
    curve.resize(10);
    const auto shortCurve = fixtures::nikonCompressed(width, height, indexes, curve);
    file = shortCurve.curveBlock;
    file.insert(file.end(), shortCurve.data.begin(), shortCurve.data.end());
    Rig clipped({height, width, 0, 0, height, width});
    clipped.s.container.dataOffset = shortCurve.curveBlock.size();
    clipped.file.setOrder(formats::kBigEndian);
    clipped.load(loadNikonCompressedRaw, file);
    EXPECT_LE(clipped.at(1, 5), 27);
}

TEST(PackedLoaders, unpackTheirRowLayouts) {
    {
        // 12-bit bit stream; rows padded to rawWidth bytes.
        fixtures::BitWriter bits(false);
        bits.put(0xABC, 12), bits.put(0x123, 12), bits.put(0, 8);
        bits.put(0x456, 12), bits.put(0x789, 12), bits.put(0, 8);
        Rig rig({2, 4, 0, 0, 2, 2});
        rig.load(loadPacked12Raw, bits.finish());
        EXPECT_EQ(rig.at(0, 0), 0xABC);
        EXPECT_EQ(rig.at(0, 1), 0x123);
        EXPECT_EQ(rig.at(1, 0), 0x456);
        EXPECT_EQ(rig.at(1, 1), 0x789);
    }
    {
        // E-300: every sixteenth byte of a row is filler.
        Bytes row(16 * 16 / 10, 0);
        const Bytes group{0x21, 0x43, 0x65};  // 0x321 and 0x654
        for (std::size_t p = 0, g = 0; g < 5; ++g, p += 3)
            std::copy(group.begin(), group.end(), row.begin() + p);
        row[15] = 0xEE;
        std::copy(group.begin(), group.end(), row.begin() + 16);
        Rig rig({1, 16, 0, 0, 1, 16});
        rig.load(loadOlympusE300Raw, row);
        EXPECT_EQ(rig.at(0, 0), 0x321);
        EXPECT_EQ(rig.at(0, 1), 0x654);
        EXPECT_EQ(rig.at(0, 10), 0x321);  // after the filler byte
        EXPECT_EQ(rig.at(0, 11), 0x654);
    }
    {
        // Nucore: even file rows fill the upper half, odd ones the lower half.
        Bytes file;
        for (int i = 0; i < 4; ++i)
            file.insert(file.end(), {0, static_cast<std::uint8_t>(i), 0, 0});
        Rig rig({4, 2, 0, 0, 4, 2});
        rig.file.setOrder(formats::kBigEndian);
        rig.load(loadNucoreRaw, file);
        EXPECT_EQ(rig.at(0, 0), 0);
        EXPECT_EQ(rig.at(2, 0), 1);
        EXPECT_EQ(rig.at(1, 0), 2);
        EXPECT_EQ(rig.at(3, 0), 3);
    }
    {
        // PowerShot 600: ten bytes for eight 10-bit samples; rows even first, then odd.
        Bytes file(1120 * 3, 0);
        file[0] = 0x80, file[1] = 0b11000000;  // row 0, sample 0: 0x200 + 3
        file[1120 + 9] = 0b00000010;           // next stored row is row 2; sample 4 low bits
        file[1120 + 5] = 0x01;                 // sample 4 high bits
        Rig rig({3, 896, 0, 0, 3, 854});
        rig.load(loadCanon600Raw, file);
        EXPECT_EQ(rig.at(0, 0), 0x203);
        EXPECT_EQ(rig.at(2, 4), 6);
        EXPECT_EQ(rig.s.sensor.whiteLevel, 1023);
    }
}

TEST(Kodak65000, readsPlainBlocksWhenALengthIsOutOfRange) {
    // One row of 8 pixels. Its first bytes, read as 4-bit lengths, hold one above 12 (0xD), so
    // the block is stored plainly: six words from the block's start.
    Bytes file;
    for (std::uint16_t w : {0xD123, 0x2456, 0x3789, 0x4ABC, 0x5DEF, 0x6012}) {
        file.push_back(static_cast<std::uint8_t>(w >> 8));
        file.push_back(static_cast<std::uint8_t>(w));
    }
    Rig rig({1, 8, 0, 0, 1, 8});
    rig.file.setOrder(formats::kBigEndian);
    rig.load(loadKodak65000Raw, file);
    EXPECT_EQ(rig.at(0, 0), 0xD35);
    EXPECT_EQ(rig.at(0, 1), 0x246);
    EXPECT_EQ(rig.at(0, 2), 0x123);
    EXPECT_EQ(rig.at(0, 4), 0x789);
}

// The DC120 turns each stored row by an amount of its own; the loader turns it back.
TEST(KodakDc120, issue17_turnsEveryRowBack) {
    constexpr int kRows = 9, kWidth = 848;
    const std::vector<std::uint16_t> wide = randomSamples(kRows * kWidth, 255);
    const std::vector<std::uint8_t> samples(wide.begin(), wide.end());
    Rig rig({kRows, kWidth, 0, 0, kRows, kWidth});
    rig.load(loadKodakDc120Raw, fixtures::dc120Rows(samples));
    for (int row = 0; row < kRows; ++row) {
        for (int col = 0; col < kWidth; ++col)
            ASSERT_EQ(rig.at(row, col), samples[row * kWidth + col]) << row << ", " << col;
    }
    EXPECT_EQ(rig.s.sensor.whiteLevel, 255);
}

TEST(Loaders, surviveShortAndEmptyFiles) {
    for (Loader id = Loader::kCanon600Raw; id != Loader::kNothing;
         id = static_cast<Loader>(static_cast<int>(id) + 1)) {
        const StageFn loader = loaderFor(id);
        if (!loader) continue;
        for (const Bytes& data : {Bytes{}, Bytes(100, 0xFF), Bytes(3000, 0x5A)}) {
            Rig rig({40, 48, 2, 4, 36, 40});
            rig.s.id.model = "E950";
            rig.s.geometry.fujiWidth =
                id >= Loader::kFujiS2Raw && id <= Loader::kFujiF700Raw ? 20 : 0;
            if (id == Loader::kFoveonRaw) {
                // Too short for its code words: no code is complete, the tree outgrows its pool.
                EXPECT_THROW(rig.load(loader, data), CImageLoaderException);
                continue;
            }
            rig.load(loader, data);
            // The working image keeps its size, and what the loader makes of the missing data
            // is the same every time (nothing comes from memory it never wrote).
            EXPECT_EQ(rig.s.geometry.workHeight, 36) << loaderName(id);
            EXPECT_EQ(rig.s.geometry.workWidth, 40) << loaderName(id);
            ASSERT_TRUE(rig.s.image) << loaderName(id);
            Rig again({40, 48, 2, 4, 36, 40});
            again.s.id.model = rig.s.id.model;
            again.s.geometry.fujiWidth = rig.s.geometry.fujiWidth;
            again.load(loader, data);
            EXPECT_TRUE(
                std::equal(rig.s.image.get(), rig.s.image.get() + 36 * 40 * 4, again.s.image.get()))
                << loaderName(id);
        }
    }
}

}  // namespace
}  // namespace tavrin::raw

namespace tavrin::raw {
namespace {

// The names are what identify prints and the step names of the memory-error texts.
TEST(LoaderTable, namesEveryLoaderOnceAndKeepsTheReportedNames) {
    std::set<std::string_view> names;
    for (int id = 0; id <= static_cast<int>(Loader::kNothing); ++id) {
        const std::string_view name = loaderName(static_cast<Loader>(id));
        EXPECT_FALSE(name.empty()) << id;
        EXPECT_TRUE(names.insert(name).second) << name;
    }
    EXPECT_EQ(loaderName(Loader::kNone), "none");
    EXPECT_EQ(loaderName(Loader::kNikonCompressedRaw), "nikon_compressed_load_raw");
    EXPECT_EQ(loaderName(Loader::kNikonPackedRaw), "LoadNikonPackedRaw");
    EXPECT_EQ(loaderName(Loader::kNothing), "LoadNothing");
}

TEST(LoaderTable, runsEachLoadersOwnFunctionAndRefusesTheUndecodable) {
    EXPECT_EQ(loaderFor(Loader::kNikonCompressedRaw), &loadNikonCompressedRaw);
    EXPECT_EQ(loaderFor(Loader::kNikonPackedRaw), &loadNikonPackedRaw);
    EXPECT_EQ(loaderFor(Loader::kFoveonRaw), &loadFoveonRaw);
    EXPECT_EQ(loaderFor(Loader::kNothing), &loadNothing);
    for (const Loader undecodable : {Loader::kNone, Loader::kKodakRadialRaw, Loader::kSonyRaw})
        EXPECT_EQ(loaderFor(undecodable), nullptr) << loaderName(undecodable);
}

}  // namespace
}  // namespace tavrin::raw
