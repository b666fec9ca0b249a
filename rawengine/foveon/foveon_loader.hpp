#pragma once
// The Foveon X3F raw loader.

#include "rawengine/decode_context.hpp"

namespace tavrin::raw {

// Reads the Huffman-coded three-channel image at the data offset into channels 0..2 of the
// working image, then the metadata block (unscrambled) into the metadata area; white and clip
// level 65535.
void LoadFoveonRaw(DecodeContext& ctx);

}  // namespace tavrin::raw
