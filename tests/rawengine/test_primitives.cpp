#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>

#include "formats/file_reader.hpp"
#include "rawengine/io/bit_reader.hpp"
#include "rawengine/io/huffman.hpp"
#include "rawengine/io/stream_bits.hpp"
#include "rawengine/loader_exception.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin::raw {
namespace {

formats::FileReader& memoryReader(formats::FileReader& r, std::vector<std::uint8_t> bytes) {
    r.openMemory(std::move(bytes));
    return r;
}

TEST(FileReader, readsInTheCurrentByteOrder) {
    formats::FileReader r;
    memoryReader(r, {0x12, 0x34, 0x12, 0x34, 0x01, 0x02, 0x03, 0x04});
    r.setOrder(formats::kLittleEndian);
    EXPECT_EQ(r.readU16(), 0x3412);
    r.setOrder(formats::kBigEndian);
    EXPECT_EQ(r.readU16(), 0x1234);
    EXPECT_EQ(r.readU32(), 0x01020304u);
    r.seek(4);
    r.setOrder(formats::kLittleEndian);
    EXPECT_EQ(r.readU32(), 0x04030201u);
}

TEST(FileReader, readsEndOfFileBytesPastTheEndWithoutTouchingOtherMemory) {
    formats::FileReader r;
    memoryReader(r, {0xAB});
    EXPECT_EQ(r.get(), 0xAB);
    EXPECT_EQ(r.get(), -1);
    r.seek(0);
    EXPECT_EQ(r.readU16(), 0xFFAB);  // the end-of-file value's low bits enter the value
    r.seek(1u << 30);
    EXPECT_EQ(r.readU32(), 0xFFFFFFFFu);
    std::uint16_t words[3] = {7, 7, 7};
    r.seek(0);
    r.setOrder(formats::kBigEndian);
    r.readU16Array(words, 3);  // one byte there: the rest reads as zero
    EXPECT_EQ(words[0], 0xAB00);
    EXPECT_EQ(words[1], 0);
    char buffer[4] = {'x', 'x', 'x', 'x'};
    r.seek(0);
    EXPECT_EQ(r.read(buffer, 4), 1u);
    EXPECT_EQ(buffer[1], 'x');
}

TEST(FileReader, readsAViewOfBytesItDoesNotOwnLikeItsOwnCopy) {
    const std::vector<std::uint8_t> bytes{0x12, 0x34, 0x56, 0x78, 0x9A};
    formats::FileReader view, copy;
    view.openView(bytes);
    copy.openMemory(bytes);
    for (formats::FileReader* r : {&view, &copy}) {
        r->setOrder(formats::kBigEndian);
        EXPECT_TRUE(r->isOpen());
        EXPECT_EQ(r->readU32(), 0x12345678u);
        EXPECT_EQ(r->readU16(), 0x9AFFu);  // the second byte lies past the end
        EXPECT_EQ(r->get(), -1);
    }
    formats::FileReader empty;
    empty.openView({});
    EXPECT_TRUE(empty.isOpen());
    EXPECT_EQ(empty.get(), -1);
}

TEST(FileReader, reportsFilesThatCannotBeOpened) {
    formats::FileReader r;
    const auto error = r.open("/no/such/file.CR2");
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("No such file"), std::string::npos);
    EXPECT_TRUE(r.open("/"));  // a folder is no file

    // Nor is a pipe, which must not block the reader while no one writes to it.
    test::TempDir dir;
    const auto pipe = dir.path() / "x.NEF";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(r.open(pipe), "not a file");
}

TEST(BitReader, takesBitsMostSignificantFirstAndSkipsStuffing) {
    formats::FileReader r;
    memoryReader(r, {0xFF, 0x00, 0xA5, 0x0F, 0x00, 0x00, 0x00, 0x00});
    BitReader bits(r);
    bits.setZeroAfterFF(true);
    bits.GetBits(-1);
    EXPECT_EQ(bits.GetBits(8), 0xFFu);  // 0xFF 0x00 gives eight one-bits once
    EXPECT_EQ(bits.GetBits(4), 0xAu);
    EXPECT_EQ(bits.GetBits(0), 0u);
    EXPECT_EQ(bits.GetBits(12), 0x50Fu);

    memoryReader(r, {0xFF, 0x00, 0x80, 0, 0, 0, 0, 0});
    BitReader plain(r);
    plain.GetBits(-1);
    EXPECT_EQ(plain.GetBits(16), 0xFF00u);  // without the rule both bytes are data
    EXPECT_EQ(plain.GetBits(1), 1u);
}

// The description of the lossless JPEG example: counts by length, then the symbols.
const std::vector<std::uint8_t> kDescription = {0, 1, 4, 2, 3, 1, 2, 0, 0, 0, 0, 0,  0,  0,   0,
                                                0, 4, 3, 5, 6, 2, 7, 1, 8, 9, 0, 10, 11, 0xFF};

TEST(Huffman, buildsTheCanonicalCode) {
    HuffmanPool pool;
    std::size_t used = 0;
    const HuffmanNode* root =
        pool.buildHuffmanTree(kDescription.data(), kDescription.size(), &used);
    EXPECT_EQ(used, 16u + 13u);
    formats::FileReader r;
    // Codes: 00 -> 4; 010, 011, 100, 101 -> 3, 5, 6, 2; 1100, 1101 -> 7, 1; 11100 -> 8 ...
    memoryReader(r, {0b00010111, 0b00000000, 0, 0, 0, 0, 0, 0});
    BitReader bits(r);
    bits.GetBits(-1);
    EXPECT_EQ(decodeSymbol(root, bits), 4);
    EXPECT_EQ(decodeSymbol(root, bits), 3);
    EXPECT_EQ(decodeSymbol(root, bits), 8);
}

TEST(Huffman, anEmptyDescriptionDecodesToZeroWithoutReadingBits) {
    HuffmanPool pool;
    const std::vector<std::uint8_t> empty(16, 0);
    const HuffmanNode* root = pool.buildHuffmanTree(empty.data(), empty.size());
    formats::FileReader r;
    memoryReader(r, {0x80, 0, 0, 0, 0, 0});
    BitReader bits(r);
    bits.GetBits(-1);
    EXPECT_EQ(decodeSymbol(root, bits), 0);
    EXPECT_EQ(HuffmanTable(root).decode(bits), 0);
    EXPECT_EQ(bits.GetBits(1), 1u);  // nothing was consumed
}

TEST(Huffman, differencesFollowTheLosslessJpegRule) {
    // One code of length 1 for symbol 3: "0" then three bits.
    const std::vector<std::uint8_t> d = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3};
    HuffmanPool pool;
    const HuffmanNode* root = pool.buildHuffmanTree(d.data(), d.size());
    formats::FileReader r;
    memoryReader(r, {0b01010110, 0, 0, 0, 0, 0});  // 0 101 -> +5; 0 110 -> +6
    BitReader bits(r);
    bits.GetBits(-1);
    EXPECT_EQ(decodeDifference(root, bits), 5);
    EXPECT_EQ(decodeDifference(root, bits), 6);
    memoryReader(r, {0b00100000, 0, 0, 0, 0, 0});  // 0 010 -> 2 - 7 = -5
    BitReader more(r);
    more.GetBits(-1);
    EXPECT_EQ(decodeDifference(root, more), -5);
}

TEST(Huffman, aFullPoolThrowsTheTableOverflow) {
    HuffmanPool pool;
    try {
        for (int i = 0; i < 200; ++i)
            pool.buildHuffmanTree(kDescription.data(), kDescription.size());
        FAIL() << "the pool never ran out";
    } catch (const CImageLoaderException& e) {
        EXPECT_EQ(e.text(), "decoder table overflow");
    }
}

// Canon's rule: the low nibble counts the bits, and 0xFF has none.
int canonRule(std::int32_t symbol) {
    return symbol == 0xFF ? 0 : symbol & 15;
}

// The value after a symbol, read the slow way: walk, then the extra bits.
template <typename Bits>
std::int32_t walkValue(const HuffmanNode* root, ExtraBitsRule rule, Bits& bits,
                       std::int32_t& value) {
    const std::int32_t symbol = decodeSymbol(root, bits);
    const int n = rule(symbol);
    value = signedDifference(bits.GetBits(n), n);
    return symbol;
}

TEST(Huffman, theLookupTablesDecodeExactlyAsTheBitWalk) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 300; ++round) {
        // A random description: up to 16 lengths, counts that a binary code can hold.
        std::vector<std::uint8_t> d(16, 0);
        int symbols = 0;
        long capacity = 1;
        for (int k = 0; k < 16; ++k) {
            capacity *= 2;
            const int n = static_cast<int>(random() % (std::min<long>(capacity, 6) + 1));
            d[k] = static_cast<std::uint8_t>(n);
            capacity -= n;
            symbols += n;
            if (capacity <= 0) break;
        }
        for (int i = 0; i < symbols; ++i)
            d.push_back(static_cast<std::uint8_t>(round % 3 == 0 ? random() % 17 : random()));
        HuffmanPool pool;
        const HuffmanNode* root = pool.buildHuffmanTree(d.data(), d.size());
        const ExtraBitsRule rule = round % 2 ? canonRule : jpegExtraBits;
        const HuffmanTable table(root, rule);

        // Streams with many 0xFF bytes, so that stuffing and the end of the data both matter.
        std::vector<std::uint8_t> stream(300 + random() % 200);
        for (auto& b : stream)
            b = random() % 8 == 0 ? 0xFF : static_cast<std::uint8_t>(random());
        formats::FileReader a, b, c;
        memoryReader(a, stream);
        memoryReader(b, stream);
        memoryReader(c, stream);
        const CodedStream coded(c, stream.size());
        BitReader slow(a), fast(b);
        StreamBits whole = coded.bits();
        slow.setZeroAfterFF(true);
        fast.setZeroAfterFF(true);
        slow.GetBits(-1);
        fast.GetBits(-1);
        for (int i = 0; i < 400; ++i) {
            std::int32_t expected = 0, got = 0, gotWhole = 0;
            const std::int32_t symbol = walkValue(root, rule, slow, expected);
            ASSERT_EQ(table.decodeValue(fast, got), symbol) << "round " << round << " at " << i;
            ASSERT_EQ(got, expected) << "round " << round << " at " << i;
            ASSERT_EQ(table.decodeValue(whole, gotWhole), symbol) << "round " << round;
            ASSERT_EQ(gotWhole, expected) << "round " << round << " at " << i;
            if (i % 7 == 0) {
                ASSERT_EQ(table.decode(fast), table.decode(whole));
                decodeSymbol(root, slow);
            }
        }
        // On to well past the end, where both read 0xFF bytes.
        for (int i = 0; i < 200; ++i) {
            const std::uint32_t expected = slow.GetBits(25);
            ASSERT_EQ(fast.GetBits(25), expected) << "round " << round << " at " << i;
            ASSERT_EQ(whole.GetBits(25), expected) << "round " << round << " at " << i;
        }
    }
}

}  // namespace
}  // namespace tavrin::raw
