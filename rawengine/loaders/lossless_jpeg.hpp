#pragma once
// The lossless JPEG frame reader shared by the CR2-style and DNG loaders.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "rawengine/decode_context.hpp"

namespace tavrin::raw {

struct JpegFrame {
    int bits = 0;
    int frameHeight = 0;
    int frameWidth = 0;
    int componentCount = 0;
    // Wraps as unsigned: only the low 16 bits become samples.
    std::array<std::uint32_t, 4> predictor{};
    std::array<const HuffmanNode*, 4> tree{};
    // One decoded row: frameWidth x componentCount samples.
    std::vector<std::uint16_t> row;

    int wide() const { return frameWidth * componentCount; }
};

// Reads the frame header and tables at the file's position up to the start of the scan.
// Returns false when the data is not a lossless JPEG stream.
bool jpegStart(DecodeContext& ctx, JpegFrame& frame);

// Decodes the next row of the scan into frame.row.
class JpegRowDecoder {
  public:
    JpegRowDecoder(DecodeContext& ctx, JpegFrame& frame);
    void decodeJpegRow();

  private:
    BitReader& bits_;
    JpegFrame& frame_;
    std::vector<HuffmanTable> tables_;
};

}  // namespace tavrin::raw
