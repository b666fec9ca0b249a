#pragma once
// The big-endian bit reader of the loaders, with the JPEG rule that a zero byte after 0xFF is
// stuffing. Each engine has its own. Hot loops work on a local copy, which the compiler can keep
// in registers, and store it back when they are done.

#include <cstdint>
#include <cstring>

#include "formats/file_reader.hpp"

namespace tavrin::raw {

class BitReader {
  public:
    explicit BitReader(formats::FileReader& file) : file_(&file) {}

    void setZeroAfterFF(bool on) { zeroAfterFF_ = on; }
    bool zeroAfterFF() const { return zeroAfterFF_; }

    // n = 1..25: the next n bits; 0: 0 without reading; -1: empties the reader and refills it.
    std::uint32_t GetBits(int n) {
        if (n == 0) return 0;
        if (n < 0) {
            buffer_ = 0;
            count_ = 0;
            refill();
            return 0;
        }
        const std::uint32_t result = peek(n);
        consume(n);
        return result;
    }

    // The next n (1..25) bits without consuming them, and consuming them afterwards: the
    // table-driven Huffman path; together they equal GetBits(n).
    std::uint32_t peek(int n) {
        if (count_ < n) refill();
        return static_cast<std::uint32_t>((buffer_ << (64 - count_)) >> (64 - n));
    }
    void consume(int n) {
        count_ -= n;
        if (count_ < 25) refill();
    }

  private:
    static bool hasFFByte(std::uint64_t word) {
        constexpr std::uint64_t kOnes = 0x0101010101010101, kHighs = 0x8080808080808080;
        return ((~word - kOnes) & word & kHighs) != 0;
    }

    // Reads whole bytes ahead while they fit: at least 25 bits stay buffered. Bytes past the
    // end of the file read as 0xFF.
    void refill() {
        const std::uint8_t* data = nullptr;
        const std::size_t available = file_->buffered(data);
        if (available >= 8) {
            // Most refills see no 0xFF: whole bytes go in at once.
            std::uint64_t word = 0;
            std::memcpy(&word, data, sizeof word);
            word = __builtin_bswap64(word);
            if (!zeroAfterFF_ || !hasFFByte(word)) {
                const int bytes = (63 - count_) >> 3;
                buffer_ = (buffer_ << (bytes * 8)) | (word >> (64 - bytes * 8));
                count_ += bytes * 8;
                file_->skip(bytes);
                return;
            }
        }
        std::size_t used = 0;
        // Leaves one byte of room for the stuffed zero after a 0xFF.
        while (count_ <= 56 && used + 1 < available) {
            const std::uint64_t c = data[used++];
            if (c == 0xFF && zeroAfterFF_) ++used;
            buffer_ = (buffer_ << 8) | c;
            count_ += 8;
        }
        file_->skip(static_cast<std::int64_t>(used));
        while (count_ <= 56) {
            const auto c = static_cast<std::uint64_t>(file_->get() & 0xFF);
            buffer_ = (buffer_ << 8) | c;
            if (c == 0xFF && zeroAfterFF_) file_->get();
            count_ += 8;
        }
    }

    formats::FileReader* file_;
    std::uint64_t buffer_ = 0;
    int count_ = 0;
    bool zeroAfterFF_ = false;
};

}  // namespace tavrin::raw
