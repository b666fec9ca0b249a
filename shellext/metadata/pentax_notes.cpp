// Pentax's note: the white balance.

#include "shellext/metadata/maker_notes.hpp"

namespace tavrin::shell {
namespace {

constexpr WhiteBalanceMode kModes[] = {{0, 0}, {1, 1}, {2, 7}, {4, 5}, {5, 6}};

}  // namespace

const WhiteBalanceNote kPentaxWhiteBalance{0x0007, kModes};

}  // namespace tavrin::shell
