#pragma once
// The raw loaders. Each reads its camera's sensor data from the file (positioned at the data
// unless it seeks itself) into the working image and may refine the black and white levels.

#include "rawengine/decode_context.hpp"

namespace tavrin::raw {

// The loader a decode runs for the loader identification chose; null when this build cannot
// decode that layout.
StageFn loaderFor(Loader loader);

// canon_packed.cpp
void LoadCanon600Raw(DecodeContext& ctx);
void LoadCanonA5Raw(DecodeContext& ctx);

// nikon_loaders.cpp
void nikon_compressed_load_raw(DecodeContext& ctx);
void LoadNikonPackedRaw(DecodeContext& ctx);
void LoadNikonE900Raw(DecodeContext& ctx);
void LoadNikonE2100Raw(DecodeContext& ctx);

// packed_loaders.cpp
void LoadPacked12Raw(DecodeContext& ctx);
void LoadOlympusCRaw(DecodeContext& ctx);
void LoadCasioQV5700Raw(DecodeContext& ctx);
void LoadRolleiRaw(DecodeContext& ctx);
void olympus_e300_load_raw(DecodeContext& ctx);
void eight_bit_load_raw(DecodeContext& ctx);
// Rows of rowBytes 8-bit samples, the first `width` of each stored; white at 255.
void loadEightBitRows(DecodeContext& ctx, std::size_t rowBytes);

// word_loaders.cpp: rows of 16-bit words
void unpacked_load_raw(DecodeContext& ctx);
void leaf_load_raw(DecodeContext& ctx);
void phase_one_load_raw(DecodeContext& ctx);
void nucore_load_raw(DecodeContext& ctx);
void adobe_dng_load_raw_nc(DecodeContext& ctx);

// fuji_loaders.cpp
void LoadFujiS2Raw(DecodeContext& ctx);
void LoadFujiS3Raw(DecodeContext& ctx);
void LoadFujiRotatedRaw(DecodeContext& ctx);
void LoadFujiF700Raw(DecodeContext& ctx);

// kodak_loaders.cpp
void LoadKodakDc120Raw(DecodeContext& ctx);
void kodak_easy_load_raw(DecodeContext& ctx);
void LoadKodak65000Raw(DecodeContext& ctx);
void LoadKodakYuvRaw(DecodeContext& ctx);

void LoadNothing(DecodeContext& ctx);

}  // namespace tavrin::raw
