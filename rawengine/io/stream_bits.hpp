#pragma once
// A coded stream read whole into memory, with the zero byte after each 0xFF already dropped, and
// a reader over it that refills without looking at single bytes. Gives the same bits as
// BitReader with zero-after-0xFF on, including 0xFF bytes past the end.

#include <cstdint>
#include <cstring>
#include <vector>

#include "formats/file_reader.hpp"

namespace tavrin::raw {

// A reader of a CodedStream's bytes. Small and copyable: hot loops keep it in registers.
class StreamBits {
  public:
    // bytes ends in at least 8 bytes of 0xFF padding from limit on.
    StreamBits(const std::uint8_t* bytes, const std::uint8_t* limit)
        : next_(bytes), limit_(limit) {}

    // The next n (1..25) bits without consuming them.
    std::uint32_t peek(int n) {
        if (count_ < n) refill();
        return static_cast<std::uint32_t>(buffer_ >> (64 - n));
    }
    void consume(int n) {
        buffer_ <<= n;
        count_ -= n;
    }
    std::uint32_t GetBits(int n) {
        if (n == 0) return 0;
        const std::uint32_t result = peek(n);
        consume(n);
        return result;
    }

  private:
    // Tops the buffer up to at least 56 bits. The bits below the count are the stream's next
    // bits too, so loading them again changes nothing; past the end the reads stay on the
    // padding.
    void refill() {
        std::uint64_t word = 0;
        std::memcpy(&word, next_, sizeof word);
        buffer_ |= __builtin_bswap64(word) >> count_;
        const int bytes = (63 - count_) >> 3;
        next_ += bytes;
        count_ += bytes * 8;
        if (next_ > limit_) next_ = limit_;
    }

    const std::uint8_t* next_;
    const std::uint8_t* limit_;
    std::uint64_t buffer_ = 0;  // the next bits from the top
    int count_ = 0;
};

class CodedStream {
  public:
    // Takes the file from its position to the end, at most maxBytes of it.
    CodedStream(formats::FileReader& file, std::uint64_t maxBytes);

    StreamBits bits() const { return {bytes_.data(), bytes_.data() + size_}; }

  private:
    std::vector<std::uint8_t> bytes_;
    std::size_t size_ = 0;  // without the padding
};

}  // namespace tavrin::raw
