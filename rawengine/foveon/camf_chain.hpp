#pragma once
// The lookups in the unscrambled camera metadata block (CAMF) of an X3F file: named parameter
// lists and named matrices. Every size and offset is checked against the block; what does not
// fit counts as absent.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace tavrin::raw {

struct CamfMatrix {
    std::array<std::uint32_t, 3> dimensions{1, 1, 1};  // 1 where the matrix has fewer
    std::vector<double> elements;                      // row-major, the first dimension outermost
};

class CamfChain {
  public:
    // The chain of "CMb" blocks at the start of block; none when it does not start with one
    // (a block still scrambled counts as missing).
    explicit CamfChain(std::span<const std::uint8_t> block) : block_(block) {}

    // The value text of parameter name in the first parameter list named list that has it.
    std::optional<std::string_view> parameter(std::string_view list, std::string_view name) const;

    // The elements of the first well-formed matrix named name; none when every one has more
    // than 3 dimensions, an unknown element type or elements beyond its block. Throws the memory
    // error for "foveon_camf_matrix()" when its elements cannot be allocated.
    std::optional<CamfMatrix> foveonCamfMatrix(std::string_view name) const;

  private:
    std::span<const std::uint8_t> block_;
};

}  // namespace tavrin::raw
