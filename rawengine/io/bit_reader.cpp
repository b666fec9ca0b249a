#include "rawengine/io/bit_reader.hpp"

namespace tavrin::raw {

void BitReader::refill() {
    while (count_ < 25) {
        const auto c = static_cast<std::uint32_t>(file_.get() & 0xFF);
        buffer_ = (buffer_ << 8) + c;
        if (c == 0xFF && zeroAfterFF_) file_.get();
        count_ += 8;
    }
}

std::uint32_t BitReader::GetBits(int n) {
    if (n == 0) return 0;
    std::uint32_t result = 0;
    if (n < 0) {
        buffer_ = 0;
        count_ = 0;
    } else {
        if (count_ < n) refill();  // only before the first refill
        result = (buffer_ << (32 - count_)) >> (32 - n);
        count_ -= n;
    }
    refill();
    return result;
}

std::uint32_t BitReader::peek(int n) {
    if (count_ < n) refill();
    return (buffer_ << (32 - count_)) >> (32 - n);
}

void BitReader::consume(int n) {
    count_ -= n;
    refill();
}

}  // namespace tavrin::raw
