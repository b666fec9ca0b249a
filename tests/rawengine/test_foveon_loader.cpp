#include <gtest/gtest.h>

#include <random>

#include "rawengine/foveon/camf_chain.hpp"
#include "rawengine/foveon/camf_keystream.hpp"
#include "rawengine/foveon/foveon_tree.hpp"
#include "rawengine/loader_exception.hpp"
#include "rawengine/loaders/raw_loaders.hpp"
#include "rawengine/raw_engine.hpp"
#include "tests/fixtures/foveon_encoder.hpp"
#include "tests/rawengine/engine_rig.hpp"

namespace tavrin::raw {
namespace {

using fixtures::Bytes;

// The real loaders with every later step left out: the working image keeps what was loaded.
void keep(DecodeContext&) {}
const Pipeline kLoadOnly{loaderFor, keep, keep, keep, keep, keep};

// A scene of three channels: independent random walks along each row with steps of at most
// maxStep (mostly small ones when skewed), wrapping at 16 bits.
std::vector<std::uint16_t> scene(int width, int height, int maxStep, bool skewed,
                                 unsigned seed = 3) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> step(-maxStep, maxStep);
    std::geometric_distribution<int> rare(0.3);
    std::vector<std::uint16_t> out(static_cast<std::size_t>(width) * height * 3);
    std::uint16_t v[3] = {65000, 100, 30000};
    for (std::size_t i = 0; i < out.size(); ++i) {
        const int s = skewed ? (rare(random) > 3 ? step(random) : rare(random)) : step(random);
        v[i % 3] = static_cast<std::uint16_t>(v[i % 3] + s);
        out[i] = v[i % 3];
    }
    return out;
}

Bytes x3fWith(int width, int height, const Bytes& data, const Bytes* camf = nullptr) {
    return fixtures::x3f({{"CAMMANUF", "SIGMA"}, {"CAMMODEL", "SD10"}},
                         static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
                         data, camf);
}

// The longest code of the coded data's table.
int longestCode(const Bytes& coded) {
    int longest = 0;
    for (std::size_t i = 0; i < kFoveonCodes; ++i) {
        const std::size_t at = 2048 + 4 * i;
        longest = std::max(longest, coded[at + 3] >> 3);
    }
    return longest;
}

class FoveonLoad : public EngineFiles {
  protected:
    // Identifies and loads the bytes as an X3F file.
    const DecodeState& load(Bytes bytes, bool halfSize = false) {
        const auto path = root() / "IMG.X3F";
        engine_.identifyMemory(std::move(bytes), path);
        EXPECT_EQ(engine_.OpenImageFile(path, nullptr, halfSize, true, kWhiteBalanceFromSettings,
                                        options()),
                  com::S_OK);
        return engine_.state();
    }

    static void expectSamples(const DecodeState& s, const std::vector<std::uint16_t>& samples,
                              int rows) {
        const int width = s.geometry.workWidth;
        for (int row = 0; row < rows; ++row) {
            for (int col = 0; col < width; ++col) {
                const std::size_t at = static_cast<std::size_t>(row) * width + col;
                for (int c = 0; c < 3; ++c)
                    ASSERT_EQ(s.image[at * 4 + c], samples[at * 3 + c]) << row << "," << col;
                ASSERT_EQ(s.image[at * 4 + 3], 0);
            }
        }
    }

    RawEngine engine_{kLoadOnly};
};

TEST_F(FoveonLoad, roundTripsEverySampleOfEveryChannelAtFullSizeEvenWhenHalfIsAsked) {
    const auto samples = scene(37, 11, 300, false);
    const DecodeState& s = load(x3fWith(37, 11, fixtures::foveonCoded(37, 11, samples)), true);
    ASSERT_EQ(s.geometry.workWidth, 37);
    ASSERT_EQ(s.geometry.workHeight, 11);
    expectSamples(s, samples, 11);
    EXPECT_EQ(s.sensor.whiteLevel, 65535);
    EXPECT_EQ(s.sensor.clipLevel, 65535);
}

TEST_F(FoveonLoad, codesLongerThanTheLookupTableDecodeExactly) {
    const auto samples = scene(64, 40, 500, true, 11);
    const Bytes coded = fixtures::foveonCoded(64, 40, samples);
    ASSERT_GT(longestCode(coded), HuffmanTable::kBits);
    expectSamples(load(x3fWith(64, 40, coded)), samples, 40);
}

TEST_F(FoveonLoad, aCutSectionKeepsItsRowsAndGivesACompletePicture) {
    const auto samples = scene(32, 20, 40, false);
    Bytes coded = fixtures::foveonCoded(32, 20, samples);
    const std::size_t tables = 2048 + 4096;
    coded.resize(tables + (coded.size() - tables) / 2);
    const DecodeState& s = load(x3fWith(32, 20, coded));
    expectSamples(s, samples, 9);
}

TEST_F(FoveonLoad, keepsTheFirst131072BytesOfALongerMetadataBlock) {
    using fixtures::camfMatrix;
    const Bytes first = fixtures::camfParameters("IncludeBlocks", {{"ColorDQ", "ColorDQCamRGB"}});
    // The filler ends 100 bytes before the cut, the next block runs across it.
    const Bytes filler = fixtures::camfOther('X', "Filler", 131072 - 100 - first.size() - 27);
    Bytes camf = first;
    for (const Bytes& block : {filler, camfMatrix("Across", 5, {200}, Bytes(200, 7)),
                               camfMatrix("Behind", 5, {9000}, Bytes(9000, 8))})
        camf.insert(camf.end(), block.begin(), block.end());
    ASSERT_GT(camf.size(), 131072u + 9000);

    const auto samples = scene(8, 4, 100, false);
    const DecodeState& s = load(x3fWith(8, 4, fixtures::foveonCoded(8, 4, samples), &camf));
    expectSamples(s, samples, 4);
    ASSERT_EQ(s.container.metaLength, 131072u);
    EXPECT_TRUE(std::equal(camf.begin(), camf.begin() + 131072, s.metaData));
    const CamfChain chain(std::span(s.metaData, s.container.metaLength));
    EXPECT_EQ(chain.parameter("IncludeBlocks", "ColorDQ"), "ColorDQCamRGB");
    EXPECT_FALSE(chain.foveonCamfMatrix("Across"));
    EXPECT_FALSE(chain.foveonCamfMatrix("Behind"));
}

// A loader run on image data alone, without a container: reads past the end give end-of-file
// words. Whatever byte order identification left, the loader reads its own.
void loadBare(Rig& rig, Bytes data) {
    rig.file.openMemory(std::move(data));
    rig.file.setOrder(formats::kBigEndian);
    rig.run(loadFoveonRaw);
}

// Tables in which entry i holds difference i + 1 and the given code word.
Bytes tables(const std::vector<std::uint32_t>& codes) {
    Bytes out;
    const fixtures::Fields le(true);
    for (std::uint32_t i = 0; i < kFoveonCodes; ++i)
        le.put16(out, i + 1);
    for (std::size_t i = 0; i < kFoveonCodes; ++i)
        le.put32(out, i < codes.size() ? codes[i] : 0);
    return out;
}

void expectTableOverflow(const Bytes& data) {
    Rig bare(8, 16, 0);
    try {
        loadBare(bare, data);
        FAIL() << "no exception";
    } catch (const CImageLoaderException& e) {
        EXPECT_EQ(e.text(), "decoder table overflow");
    }
}

TEST(FoveonLoadBadInput, dataCutAtTheEndOfTheFileStillFillsEveryPixel) {
    const auto samples = scene(16, 8, 20, false);
    Bytes coded = fixtures::foveonCoded(16, 8, samples);
    coded.resize(2048 + 4096 + 40);
    Rig bare(8, 16, 0);
    loadBare(bare, coded);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(bare.s.image[c], samples[static_cast<std::size_t>(c)]);
    // Cut inside the code words: they read as all ones, no code is complete and the tree
    // outgrows the pool.
    coded.resize(3000);
    expectTableOverflow(coded);
}

TEST(FoveonLoadBadInput, codeWordsThatLeaveBranchesOpenOverflowThePool) {
    for (const auto& codes : std::vector<std::vector<std::uint32_t>>{{}, {1u << 27}})
        expectTableOverflow(tables(codes));
}

TEST(FoveonTree, aBranchDeeperThan26BitsEndsWithoutALeafAndDecodesAsEntryZero) {
    // Codes 1, 01, 001, ... of lengths 1..26 at entries 1..26; 26 zeros lead further, to an
    // empty node.
    std::vector<std::uint32_t> codes(1, 0);
    for (std::uint32_t length = 1; length <= 26; ++length)
        codes.push_back(length << 27 | 1);
    Bytes data = tables(codes);
    const fixtures::Fields le(true);
    // Pixel 0: entry 1 ("1"), entry 2 ("01"), then 27 zero bits: entry 0. Then ones.
    le.put32(data, 0xA0000000);
    le.put32(data, 0x0FFFFFFF);
    Rig bare(1, 1, 0);
    loadBare(bare, data);
    EXPECT_EQ(bare.s.image[0], 2);
    EXPECT_EQ(bare.s.image[1], 3);
    EXPECT_EQ(bare.s.image[2], 1);

    HuffmanPool pool;
    FoveonCodeWords words{};
    std::copy(codes.begin(), codes.end(), words.begin());
    const HuffmanNode* node = buildFoveonTree(pool, words);
    for (int depth = 0; depth < 26; ++depth)
        node = node->branch0;
    ASSERT_FALSE(node->isLeaf());
    EXPECT_TRUE(node->branch0->isLeaf());
    EXPECT_EQ(node->branch0->leaf, 0);
}

TEST(CamfKeystream, isItsOwnInverseAndLeavesTheBlockAloneWithoutConstants) {
    Bytes block{'C', 'M', 'b', 'P', 1, 2, 3};
    const Bytes stored = block;
    unscrambleCamf(block);
    EXPECT_EQ(block, stored);

    const CamfKeystream stream{1, 3, 5, 0, 0};
    unscrambleCamf(block, stream);
    EXPECT_EQ(block[0], 'C' ^ 8);   // key 1 x 3 + 5
    EXPECT_EQ(block[1], 'M' ^ 29);  // key 8 x 3 + 5
    unscrambleCamf(block, stream);
    EXPECT_EQ(block, stored);
}

}  // namespace
}  // namespace tavrin::raw
