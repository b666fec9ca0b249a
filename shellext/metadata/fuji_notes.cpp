// Fujifilm's note: the white balance.

#include "shellext/metadata/maker_notes.hpp"

namespace tavrin::shell {
namespace {

constexpr WhiteBalanceMode kModes[] = {{0, 0},   {256, 1},  {512, 2},   {768, 8},
                                       {769, 9}, {770, 10}, {1024, 11}, {3840, 4}};

}  // namespace

const WhiteBalanceNote kFujiWhiteBalance{0x1002, kModes};

}  // namespace tavrin::shell
