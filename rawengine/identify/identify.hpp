#pragma once
// Camera identification: recognises the container, lets the parsers fill in what the file
// says, normalises make and model and applies the camera table. Leaves the file at the raw data.

#include <array>
#include <cstdint>

#include "rawengine/decode_context.hpp"
#include "rawengine/parsers/parse_context.hpp"

namespace tavrin::raw {

void identifyCamera(DecodeContext& ctx);

// What the camera table and the content tests look at besides the state.
struct IdentifyContext {
    ParseContext& parse;
    DecodeState& s;
    formats::FileReader& file;
    std::array<std::uint8_t, 32> head;
    std::uint64_t fileSize;
};

// The camera table chain; the first row that matches applies.
void applyCameraTable(IdentifyContext& ctx);

// The make-and-model colour matrices: sets the XYZ-to-camera matrix of the first key that is a
// prefix of "make model", when that row's values are known.
void applyColourMatrixTable(DecodeState& s);

// Make names in normalisation order.
extern const std::array<const char*, 10> kMakeNames;

struct FileSizeRow {
    std::uint32_t size;
    const char* make;
    const char* model;
    bool companion;
};
extern const std::array<FileSizeRow, 26> kFileSizeTable;

}  // namespace tavrin::raw
