#pragma once
// The raw loaders. Each reads its camera's sensor data from the file (positioned at the data
// unless it seeks itself) into the working image and may refine the black and white levels.
// loadFoveonRaw reads the Huffman-coded three-channel image into channels 0..2 and the
// unscrambled metadata block into the metadata area, white and clip level 65535.

#include "rawengine/decode_context.hpp"

namespace tavrin::raw {

// The loader a decode runs for the loader identification chose; null when this build cannot
// decode that layout.
StageFn loaderFor(Loader loader);

#define TAVRIN_DECLARE_LOADER(id, name, function) void function(DecodeContext& ctx);
#define TAVRIN_NO_DECLARATION(id, name)
TAVRIN_RAW_LOADERS(TAVRIN_DECLARE_LOADER, TAVRIN_NO_DECLARATION)
#undef TAVRIN_DECLARE_LOADER
#undef TAVRIN_NO_DECLARATION

// Rows of rowBytes 8-bit samples, the first `width` of each stored; white at 255.
void loadEightBitRows(DecodeContext& ctx, std::size_t rowBytes);

}  // namespace tavrin::raw
