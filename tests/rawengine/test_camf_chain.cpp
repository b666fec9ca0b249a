#include <gtest/gtest.h>

#include <cstring>

#include "rawengine/foveon/camf_chain.hpp"
#include "rawengine/foveon/camf_keystream.hpp"
#include "tests/fixtures/foveon_encoder.hpp"

namespace tavrin::raw {
namespace {

using fixtures::Bytes;
using fixtures::camfMatrix;
using fixtures::camfOther;
using fixtures::camfParameters;
using fixtures::camfWords;

constexpr std::uint32_t kInt16 = 0, kUInt16 = 1, kInt32 = 2, kUInt32 = 3, kFloat32 = 4, kUInt8 = 5;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void patch32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    const Bytes w = camfWords({value});
    std::copy(w.begin(), w.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

// Where a block's content starts: behind the 20-byte header and the name.
std::size_t contentOf(const std::string& name) {
    return 20 + name.size() + 1;
}

TEST(CamfChain, findsParameterListsAndMatricesByName) {
    const Bytes chain =
        camfParameters("IncludeBlocks", {{"ColorDQ", "ColorDQCamRGB"}, {"Curves", "Yes"}}) +
        camfOther('T', "Curves", 10) +
        camfMatrix("PostPolyMatrix", kInt32, {2, 3}, camfWords({1, 2, 3, 4, 5, 0xFFFFFFFF})) +
        camfParameters("WhiteBalance", {{"Curves", "Later"}});
    const CamfChain camf(chain);
    EXPECT_EQ(camf.parameter("IncludeBlocks", "ColorDQ"), "ColorDQCamRGB");
    EXPECT_EQ(camf.parameter("IncludeBlocks", "Curves"), "Yes");
    EXPECT_EQ(camf.parameter("WhiteBalance", "Curves"), "Later");  // behind a skipped block
    EXPECT_EQ(camf.parameter("IncludeBlocks", "Missing"), std::nullopt);
    EXPECT_EQ(camf.parameter("Curves", "Curves"), std::nullopt);  // not a parameter list
    EXPECT_EQ(camf.parameter("PostPolyMatrix", "ColorDQ"), std::nullopt);

    const auto matrix = camf.foveonCamfMatrix("PostPolyMatrix");
    ASSERT_TRUE(matrix);
    EXPECT_EQ(matrix->dimensions, (std::array<std::uint32_t, 3>{2, 3, 1}));
    EXPECT_EQ(matrix->elements, (std::vector<double>{1, 2, 3, 4, 5, -1}));
    EXPECT_FALSE(camf.foveonCamfMatrix("IncludeBlocks"));
    EXPECT_FALSE(camf.foveonCamfMatrix("Missing"));
}

TEST(CamfChain, readsEveryElementTypeAndUpToThreeDimensions) {
    float half = 0.5f;
    std::uint32_t halfBits;
    std::memcpy(&halfBits, &half, 4);
    const struct {
        std::uint32_t type;
        Bytes data;
        std::vector<double> expected;
    } cases[] = {
        {kInt16, {0xFE, 0xFF, 0x34, 0x12}, {-2, 0x1234}},
        {kUInt16, {0xFE, 0xFF, 0x34, 0x12}, {65534, 0x1234}},
        {kInt32, camfWords({0xFFFFFFFE, 7}), {-2, 7}},
        {kUInt32, camfWords({0xFFFFFFFE, 7}), {4294967294.0, 7}},
        {kFloat32, camfWords({halfBits, 0}), {0.5, 0}},
        {kUInt8, {200, 3}, {200, 3}},
    };
    for (const auto& c : cases) {
        const auto m = CamfChain(camfMatrix("M", c.type, {2}, c.data)).foveonCamfMatrix("M");
        ASSERT_TRUE(m) << c.type;
        EXPECT_EQ(m->elements, c.expected) << c.type;
    }

    const Bytes cube(8, 1);
    const auto three = CamfChain(camfMatrix("M", kUInt8, {2, 2, 2}, cube)).foveonCamfMatrix("M");
    ASSERT_TRUE(three);
    EXPECT_EQ(three->elements.size(), 8u);
    const auto scalar = CamfChain(camfMatrix("M", kUInt8, {}, {9})).foveonCamfMatrix("M");
    ASSERT_TRUE(scalar);
    EXPECT_EQ(scalar->dimensions, (std::array<std::uint32_t, 3>{1, 1, 1}));
    EXPECT_EQ(scalar->elements, std::vector<double>{9});
    EXPECT_FALSE(CamfChain(camfMatrix("M", kUInt8, {1, 2, 2, 2}, cube)).foveonCamfMatrix("M"));
    EXPECT_FALSE(CamfChain(camfMatrix("M", 9, {2}, cube)).foveonCamfMatrix("M"));
    // Infinities and NaNs are no calibration.
    for (const std::uint32_t bits : {0x7F800000u, 0xFF800000u, 0x7FC00000u})
        EXPECT_FALSE(CamfChain(camfMatrix("M", kFloat32, {2}, camfWords({halfBits, bits})))
                         .foveonCamfMatrix("M"));
}

TEST(CamfChain, matricesReachingOutsideTheirBlockAreNone) {
    const std::size_t content = contentOf("M");
    const Bytes good = camfMatrix("M", kUInt16, {2, 2}, Bytes(8, 1));
    ASSERT_TRUE(CamfChain(good).foveonCamfMatrix("M"));
    struct Damage {
        const char* what;
        std::size_t at;
        std::uint32_t value;
    };
    for (const Damage& d : {
             Damage{"more elements than the block holds", content + 12, 3},
             Damage{"a huge dimension", content + 12, 0xFFFFFFFF},
             Damage{"dimensions whose product outgrows the block", content + 24, 40},
             Damage{"elements behind the block", content + 8, 0x7FFFFFF0},
             Damage{"elements at the block's end", content + 8,
                    static_cast<std::uint32_t>(good.size() - 4)},
             Damage{"four dimensions", content + 4, 4},
         }) {
        Bytes block = good;
        patch32(block, d.at, d.value);
        EXPECT_FALSE(CamfChain(block).foveonCamfMatrix("M")) << d.what;
    }
    // A block cut short of its content.
    EXPECT_FALSE(CamfChain(Bytes(good.begin(), good.begin() + 30)).foveonCamfMatrix("M"));
}

TEST(CamfChain, namesAndParametersOutsideTheirBlockAreNone) {
    const std::size_t content = contentOf("P");
    const Bytes good = camfParameters("P", {{"a", "1"}, {"b", "2"}});
    ASSERT_EQ(CamfChain(good).parameter("P", "b"), "2");
    struct Damage {
        const char* what;
        std::size_t at;
        std::uint32_t value;
    };
    for (const Damage& d : {
             Damage{"a block name behind the block", 12, 0x1000},
             Damage{"a block name running to the end", 12,
                    static_cast<std::uint32_t>(good.size() - 1)},
             Damage{"a text area behind the block", content + 4, 0xFFFFFFF0},
             Damage{"a value behind the block", content + 20, 0x7FFFFFFF},
             Damage{"pairs that leave the block", content, 0xFFFFFFFF},
         }) {
        Bytes block = good;
        patch32(block, d.at, d.value);
        if (d.at == 12 && d.value != 0x1000) block.back() = 'x';    // no NUL up to the end
        if (d.at == content) patch32(block, content + 16, 0x1000);  // the name "b" is gone
        EXPECT_EQ(CamfChain(block).parameter("P", "b"), std::nullopt) << d.what;
    }
}

TEST(CamfChain, theChainEndsAtABlockThatIsNotCmbOrDoesNotFit) {
    const Bytes first = camfParameters("First", {{"a", "1"}});
    const Bytes last = camfParameters("Last", {{"a", "2"}});
    Bytes chain = first + last;
    for (const std::uint32_t length : {0u, 19u, static_cast<std::uint32_t>(last.size() + 1)}) {
        Bytes broken = chain;
        patch32(broken, first.size() + 8, length);
        const CamfChain camf(broken);
        EXPECT_EQ(camf.parameter("First", "a"), "1") << length;
        EXPECT_EQ(camf.parameter("Last", "a"), std::nullopt) << length;
    }
    chain[first.size()] = 'X';
    EXPECT_EQ(CamfChain(chain).parameter("Last", "a"), std::nullopt);
    EXPECT_EQ(CamfChain(Bytes{}).parameter("First", "a"), std::nullopt);
}

TEST(CamfChain, aBlockThatDoesNotUnscrambleToAChainIsMissing) {
    Bytes block = camfParameters("P", {{"a", "1"}});
    const CamfKeystream stream{12345, 1103515245, 12345, 0, 16};
    unscrambleCamf(block, stream);
    EXPECT_EQ(CamfChain(block).parameter("P", "a"), std::nullopt);
    unscrambleCamf(block, stream);
    EXPECT_EQ(CamfChain(block).parameter("P", "a"), "1");
}

}  // namespace
}  // namespace tavrin::raw
