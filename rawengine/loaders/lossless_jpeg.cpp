#include "rawengine/loaders/lossless_jpeg.hpp"

#include <algorithm>
#include <new>
#include <utility>

#include "platform/system/ascii.hpp"
#include "rawengine/loader_exception.hpp"
#include "rawengine/loaders/dng_pixels.hpp"
#include "rawengine/loaders/placement.hpp"
#include "rawengine/loaders/raw_loaders.hpp"

namespace tavrin::raw {
namespace {

constexpr int kStartOfFrame = 0xFFC3;
constexpr int kHuffmanTables = 0xFFC4;
constexpr int kStartOfScan = 0xFFDA;

int bigEndian16(const std::uint8_t* p) {
    return p[0] << 8 | p[1];
}

void readHuffmanTables(DecodeContext& ctx, JpegFrame& frame, const std::uint8_t* data,
                       std::size_t length) {
    std::size_t at = 0;
    while (at < length && data[at] < 4) {
        const int c = data[at++];
        std::size_t consumed = 0;
        frame.tree[c] = ctx.huffman.buildHuffmanTree(data + at, length - at, &consumed);
        at += consumed;
    }
}

// Where the decoded samples lie on the sensor, in stream order: row after row, except for two
// cameras whose sensors are read out in strips.
class SensorLayout {
  public:
    SensorLayout(const Geometry& g, std::int64_t frameHeight)
        : rawWidth_(g.rawWidth), rawHeight_(g.rawHeight), frameHeight_(frameHeight) {}

    std::pair<std::int64_t, std::int64_t> next() {
        const std::int64_t j = j_++;
        if (rawWidth_ == 5108) {
            // Two strips 1680 wide, then the rest 1748 wide.
            const std::int64_t i = j / (1680 * frameHeight_);
            if (i < 2) return {j / 1680 % frameHeight_, j % 1680 + 1680 * i};
            const std::int64_t k = j - 3360 * frameHeight_;
            return {k / 1748, k % 1748 + 3360};
        }
        if (rawWidth_ == 3516) {
            // The left half's rows, then the right half's.
            std::int64_t row = j / 1758, col = j % 1758;
            if (row >= rawHeight_) row -= rawHeight_, col += 1758;
            return {row, col};
        }
        const std::pair<std::int64_t, std::int64_t> at{row_, col_};
        if (++col_ == rawWidth_) col_ = 0, ++row_;
        return at;
    }

  private:
    std::int64_t rawWidth_, rawHeight_, frameHeight_;
    std::int64_t j_ = 0, row_ = 0, col_ = 0;
};

// Every sample takes at least one bit: a frame claiming more rows than the rest of the file can
// hold is cut there (one row more, for a last row that ends with the data), instead of decoding
// end-of-file bytes for a very long time.
std::int64_t rowsTheDataCanHold(const DecodeContext& ctx, const JpegFrame& frame) {
    const auto bits = static_cast<std::int64_t>(ctx.file.remaining()) * 8;
    return frame.wide() > 0 ? bits / frame.wide() + 1 : 0;
}

}  // namespace

bool jpegStart(DecodeContext& ctx, JpegFrame& frame) {
    ctx.huffman.reset();
    frame.tree.fill(ctx.huffman.first());
    std::uint8_t data[256];
    if (ctx.file.read(data, 2) != 2 || data[0] != 0xFF || data[1] != 0xD8) return false;
    for (;;) {
        if (ctx.file.read(data, 4) != 4) return false;
        const int marker = bigEndian16(data);
        const int length = bigEndian16(data + 2) - 2;
        if (marker < 0xFF01 || length < 0 || length > 255) return false;
        const auto size = static_cast<std::size_t>(length);
        std::fill(data, data + size, 0);
        ctx.file.read(data, size);
        if (marker == kStartOfScan) break;
        if (marker == kStartOfFrame && size >= 6) {
            frame.bits = data[0];
            frame.frameHeight = bigEndian16(data + 1);
            frame.frameWidth = bigEndian16(data + 3);
            frame.componentCount = data[5];
        } else if (marker == kHuffmanTables) {
            readHuffmanTables(ctx, frame, data, size);
        }
    }
    // Without a lossless frame, or with a component beyond the four trees, the stream is not
    // ours to decode.
    if (frame.frameWidth <= 0 || frame.componentCount <= 0 || frame.componentCount > 4) {
        return false;
    }
    try {
        frame.row.assign(static_cast<std::size_t>(frame.wide()), 0);
    } catch (const std::bad_alloc&) {
        throw CImageLoaderException::outOfMemory(" jpeg_start()");
    }
    // Precision outside 1..16 is not lossless JPEG; keep the predictor's shift defined.
    const int bits = std::clamp(frame.bits, 1, 16);
    frame.predictor.fill(1u << (bits - 1));
    ctx.bits.setZeroAfterFF(true);
    ctx.bits.GetBits(-1);
    return true;
}

JpegRowDecoder::JpegRowDecoder(DecodeContext& ctx, JpegFrame& frame)
    : bits_(ctx.bits), frame_(frame) {
    tables_.reserve(frame.tree.size());
    for (const HuffmanNode* root : frame.tree)
        tables_.emplace_back(root);
}

void JpegRowDecoder::decodeJpegRow() {
    BitReader bits = bits_;
    const int components = frame_.componentCount;
    std::uint16_t* out = frame_.row.data();
    for (int c = 0; c < components; ++c) {
        frame_.predictor[c] += static_cast<std::uint32_t>(tables_[c].difference(bits));
        out[c] = static_cast<std::uint16_t>(frame_.predictor[c]);
    }
    const std::size_t wide = frame_.row.size();
    for (std::size_t i = components; i < wide; i += components) {
        for (int c = 0; c < components; ++c)
            out[i + c] =
                static_cast<std::uint16_t>(out[i + c - components] + tables_[c].difference(bits));
    }
    bits_ = bits;
}

void loadLosslessJpegRaw(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    Geometry& g = s.geometry;
    JpegFrame frame;
    if (!jpegStart(ctx, frame)) return;
    JpegRowDecoder decoder(ctx, frame);
    MarginBlack black(s);
    unsigned lowest = 0x7FFFFFFF;
    const std::int64_t wide = frame.wide();
    const std::int64_t frameHeight = frame.frameHeight;
    if (g.rawWidth <= 0) return;
    SensorLayout layout(g, frameHeight);
    const std::int64_t rows = std::min(frameHeight, rowsTheDataCanHold(ctx, frame));
    for (std::int64_t jrow = 0; jrow < rows; ++jrow) {
        decoder.decodeJpegRow();
        for (std::int64_t jcol = 0; jcol < wide; ++jcol) {
            const unsigned value = curveOf(s, frame.row[jcol]);
            const auto [row, col] = layout.next();
            const auto r = static_cast<int>(std::min<std::int64_t>(row - g.topMargin, INT32_MAX));
            const auto c = static_cast<int>(col - g.leftMargin);
            if (static_cast<unsigned>(r) < static_cast<unsigned>(g.height) &&
                static_cast<unsigned>(c) < static_cast<unsigned>(g.width)) {
                lowest = std::min(lowest, value);
            }
            placeOrBlack(s, black, r, c, value);
        }
    }
    black.finish(s);
    if (ascii::equalsIgnoreCase(s.id.make, "KODAK")) s.sensor.blackLevel = static_cast<int>(lowest);
}

void loadDngLosslessRaw(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    const Geometry& g = s.geometry;
    DngPixelWriter writer(s);
    int t = 0, u = 0;
    while (t < g.rawHeight) {
        const std::uint64_t next = ctx.file.tell() + 4;
        ctx.file.seek(ctx.file.readU32());
        JpegFrame frame;
        if (!jpegStart(ctx, frame)) break;
        JpegRowDecoder decoder(ctx, frame);
        int jwide = frame.frameWidth;
        if (s.sensor.filterPattern) {
            jwide *= frame.componentCount;
        } else {
            s.sensor.colourCount = frame.componentCount;
        }
        if (s.container.fujiSecondFrame) jwide /= 2;
        jwide = std::min(jwide, g.rawWidth - u);
        const auto rows = std::min<std::int64_t>(std::min(frame.frameHeight, g.rawHeight - t),
                                                 rowsTheDataCanHold(ctx, frame));
        for (std::int64_t jrow = 0; jrow < rows; ++jrow) {
            decoder.decodeJpegRow();
            writer.writeRow(t + jrow, u, frame.row, jwide);
        }
        ctx.file.seek(next);
        // A tile without width would never advance: the data ends here.
        if (jwide <= 0 || frame.frameHeight <= 0) break;
        u += jwide;
        if (u >= g.rawWidth) {
            t += frame.frameHeight;
            u = 0;
        }
    }
}

}  // namespace tavrin::raw
