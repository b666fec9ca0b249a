#include "rawengine/foveon/camf_chain.hpp"

#include <cmath>
#include <cstring>
#include <new>

#include "rawengine/foveon/camf_layout.hpp"
#include "rawengine/loader_exception.hpp"

namespace tavrin::raw {
namespace {

using Bytes = std::span<const std::uint8_t>;

std::uint32_t little32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t little16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

// A 32-bit little-endian number at offset at of bytes, or none past their end.
std::optional<std::uint32_t> number(Bytes bytes, std::uint64_t at) {
    if (at > bytes.size() || bytes.size() - at < 4) return std::nullopt;
    return little32(bytes.data() + at);
}

// The NUL-terminated text at offset at, or none when it does not end inside bytes.
std::optional<std::string_view> text(Bytes bytes, std::uint64_t at) {
    if (at >= bytes.size()) return std::nullopt;
    const auto* start = reinterpret_cast<const char*>(bytes.data() + at);
    const auto* end = static_cast<const char*>(std::memchr(start, 0, bytes.size() - at));
    if (!end) return std::nullopt;
    return std::string_view(start, static_cast<std::size_t>(end - start));
}

// Calls visit(block, content offset) for each block of the type whose name is name, until visit
// gives a result. The chain ends at a block that is not marked "CMb" or does not fit.
template <typename Result, typename Visit>
std::optional<Result> findBlock(Bytes chain, char type, std::string_view name, Visit visit) {
    std::size_t at = 0;
    while (chain.size() - at >= camf::kHeaderSize &&
           std::memcmp(chain.data() + at, "CMb", 3) == 0) {
        const Bytes rest = chain.subspan(at);
        const std::uint32_t length = *number(rest, camf::kLength);
        if (length < camf::kHeaderSize || length > rest.size()) break;
        const Bytes block = rest.first(length);
        const auto blockName = text(block, *number(block, camf::kName));
        if (static_cast<char>(block[3]) == type && blockName == name) {
            if (auto result = visit(block, *number(block, camf::kContent))) return result;
        }
        at += length;
    }
    return std::nullopt;
}

std::optional<std::string_view> findParameter(Bytes block, std::uint64_t content,
                                              std::string_view name) {
    const auto count = number(block, content + camf::kParameterCount);
    const auto texts = number(block, content + camf::kTextArea);
    if (!count || !texts) return std::nullopt;
    // The pairs must lie in the block, which also bounds the loop.
    for (std::uint64_t i = 0; i < *count; ++i) {
        const std::uint64_t pair = content + camf::kPairs + i * camf::kPairSize;
        const auto nameAt = number(block, pair);
        const auto valueAt = number(block, pair + 4);
        if (!nameAt || !valueAt) return std::nullopt;
        if (text(block, std::uint64_t{*texts} + *nameAt) == name)
            return text(block, std::uint64_t{*texts} + *valueAt);
    }
    return std::nullopt;
}

struct ElementFormat {
    camf::ElementType type;
    std::uint32_t size;
    double (*read)(const std::uint8_t* p);
};

constexpr std::array<ElementFormat, 6> kElementFormats{{
    {camf::ElementType::Int16, 2,
     [](const std::uint8_t* p) {
         return static_cast<double>(static_cast<std::int16_t>(little16(p)));
     }},
    {camf::ElementType::UInt16, 2,
     [](const std::uint8_t* p) { return static_cast<double>(little16(p)); }},
    {camf::ElementType::Int32, 4,
     [](const std::uint8_t* p) {
         return static_cast<double>(static_cast<std::int32_t>(little32(p)));
     }},
    {camf::ElementType::UInt32, 4,
     [](const std::uint8_t* p) { return static_cast<double>(little32(p)); }},
    {camf::ElementType::Float32, 4,
     [](const std::uint8_t* p) {
         float f;
         const std::uint32_t bits = little32(p);
         std::memcpy(&f, &bits, sizeof f);
         return static_cast<double>(f);
     }},
    {camf::ElementType::UInt8, 1, [](const std::uint8_t* p) { return static_cast<double>(p[0]); }},
}};

const ElementFormat* elementFormat(std::uint32_t type) {
    for (const ElementFormat& format : kElementFormats) {
        if (static_cast<std::uint32_t>(format.type) == type) return &format;
    }
    return nullptr;
}

std::optional<CamfMatrix> readMatrix(Bytes block, std::uint64_t content) {
    const auto type = number(block, content + camf::kElementType);
    const auto dimensionCount = number(block, content + camf::kDimensionCount);
    const auto elementsAt = number(block, content + camf::kElements);
    if (!type || !dimensionCount || !elementsAt || *dimensionCount > camf::kMaxDimensions)
        return std::nullopt;
    const ElementFormat* format = elementFormat(*type);
    if (!format) return std::nullopt;
    CamfMatrix matrix;
    std::uint64_t count = 1;
    for (std::uint32_t d = 0; d < *dimensionCount; ++d) {
        const auto size =
            number(block, content + camf::kDimensions +
                              std::uint64_t{d} * camf::kDimensionEntrySize + camf::kDimensionSize);
        // Each size is checked at once, so that the product cannot overflow.
        if (!size || *size > block.size()) return std::nullopt;
        matrix.dimensions[d] = *size;
        count *= *size;
        if (count > block.size()) return std::nullopt;
    }
    if (*elementsAt > block.size() || count * format->size > block.size() - *elementsAt)
        return std::nullopt;
    try {
        matrix.elements.resize(count);
    } catch (const std::bad_alloc&) {
        throw CImageLoaderException::outOfMemory("foveon_camf_matrix()");
    }
    const std::uint8_t* p = block.data() + *elementsAt;
    for (double& element : matrix.elements) {
        element = format->read(p);
        // A calibration holds numbers: a matrix with infinities or NaNs is damaged.
        if (!std::isfinite(element)) return std::nullopt;
        p += format->size;
    }
    return matrix;
}

}  // namespace

std::optional<std::string_view> CamfChain::parameter(std::string_view list,
                                                     std::string_view name) const {
    return findBlock<std::string_view>(
        block_, camf::kParameters, list,
        [&](Bytes block, std::uint64_t content) { return findParameter(block, content, name); });
}

std::optional<CamfMatrix> CamfChain::foveonCamfMatrix(std::string_view name) const {
    return findBlock<CamfMatrix>(
        block_, camf::kMatrix, name,
        [](Bytes block, std::uint64_t content) { return readMatrix(block, content); });
}

}  // namespace tavrin::raw
