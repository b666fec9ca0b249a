#pragma once
// What the pipeline's steps work with: the state, the open file and the decoder's own bit reader
// and Huffman pool. Each engine has one; nothing is shared between engines.

#include "formats/file_reader.hpp"
#include "rawengine/colour/learned_colours.hpp"
#include "rawengine/decode_progress.hpp"
#include "rawengine/decode_state.hpp"
#include "rawengine/io/bit_reader.hpp"
#include "rawengine/io/huffman.hpp"

namespace tavrin::raw {

struct DecodeContext {
    DecodeState& state;
    formats::FileReader& file;
    BitReader& bits;
    HuffmanPool& huffman;
    IDecodeProgress* progress = nullptr;
    LearnedColourStore* learnedColours = nullptr;
};

using StageFn = void (*)(DecodeContext&);

// The steps of a decode after identification. A step this build lacks is empty; a decode that
// needs it is refused as not implemented.
struct Pipeline {
    StageFn (*loaderFor)(Loader loader) = nullptr;
    StageFn foveonInterpolate = nullptr;
    StageFn scaleColours = nullptr;
    StageFn vngInterpolate = nullptr;
    StageFn fujiRotate = nullptr;
    StageFn convertToRgb = nullptr;
    StageFn colourFromPreview = nullptr;  // optional: without it, colours stay as the tables say
};

// The steps built into the engine.
Pipeline builtInPipeline();

}  // namespace tavrin::raw
