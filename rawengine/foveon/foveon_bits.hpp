#pragma once
// The bit reader of Foveon image data: 32-bit words in the file's byte order, their bits taken
// most significant first. Words past the end of the file read as all ones.

#include <cstdint>

#include "formats/file_reader.hpp"

namespace tavrin::raw {

class FoveonBits {
  public:
    explicit FoveonBits(formats::FileReader& file) : file_(&file) {}

    // The next n (1..32) bits without consuming them; then consuming them.
    std::uint32_t peek(int n) {
        if (count_ < n) refill();
        return static_cast<std::uint32_t>((buffer_ << (64 - count_)) >> (64 - n));
    }
    void consume(int n) { count_ -= n; }

    std::uint32_t GetBits(int n) {
        const std::uint32_t result = peek(n);
        consume(n);
        return result;
    }

  private:
    // Whole words while they fit: at least 33 bits stay buffered.
    void refill() {
        while (count_ <= 32) {
            const std::uint8_t* data = nullptr;
            std::uint32_t word;
            if (file_->buffered(data) >= 4) {
                word = file_->u32(data);
                file_->skip(4);
            } else {
                word = file_->readU32();
            }
            buffer_ = buffer_ << 32 | word;
            count_ += 32;
        }
    }

    formats::FileReader* file_;
    std::uint64_t buffer_ = 0;
    int count_ = 0;
};

}  // namespace tavrin::raw
