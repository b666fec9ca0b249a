#include "rawengine/io/stream_bits.hpp"

#include <algorithm>

namespace tavrin::raw {

CodedStream::CodedStream(formats::FileReader& file, std::uint64_t maxBytes) {
    constexpr std::size_t kPadding = 16;
    bytes_.resize(static_cast<std::size_t>(std::min(file.remaining(), maxBytes)));
    const std::size_t size = file.read(bytes_.data(), bytes_.size());
    // Drops the byte after each 0xFF, in place.
    std::uint8_t* const data = bytes_.data();
    std::size_t from = 0, to = 0;
    while (from < size) {
        const void* ff = std::memchr(data + from, 0xFF, size - from);
        const std::size_t stop =
            ff ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(ff) - data) + 1 : size;
        std::memmove(data + to, data + from, stop - from);
        to += stop - from;
        from = stop + (ff ? 1 : 0);
    }
    size_ = to;
    bytes_.resize(to);
    bytes_.resize(to + kPadding, 0xFF);
}

}  // namespace tavrin::raw
