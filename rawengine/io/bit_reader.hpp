#pragma once
// The big-endian bit reader of the loaders, with the JPEG rule that a zero byte after 0xFF is
// stuffing. Each engine has its own.

#include <cstdint>

#include "rawengine/io/file_reader.hpp"

namespace tavrin::raw {

class BitReader {
  public:
    explicit BitReader(FileReader& file) : file_(file) {}

    void setZeroAfterFF(bool on) { zeroAfterFF_ = on; }
    bool zeroAfterFF() const { return zeroAfterFF_; }

    // n = 1..25: the next n bits; 0: 0 without reading; -1: empties the reader and refills it.
    std::uint32_t GetBits(int n);

    // The next n (1..25) bits without consuming them, and consuming them afterwards: the
    // table-driven Huffman path; together they equal GetBits(n).
    std::uint32_t peek(int n);
    void consume(int n);

  private:
    void refill();

    FileReader& file_;
    std::uint32_t buffer_ = 0;
    int count_ = 0;
    bool zeroAfterFF_ = false;
};

}  // namespace tavrin::raw
