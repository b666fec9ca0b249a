#pragma once
// The makers' notes, one file per maker; maker_notes.cpp picks the reader by the make and finds
// where a note's directory starts.

#include <cstdint>
#include <span>

#include "formats/tiff_directory.hpp"
#include "shellext/info/info_context.hpp"

namespace tavrin::shell {

// One entry of a Nikon, Olympus or Minolta note, the file at its values. Every rule applies to
// the notes of all three makes unless it names its own.
void readNikonNoteEntry(InfoContext& ctx, const formats::TiffEntry& entry);
void readOlympusNoteEntry(InfoContext& ctx, const formats::TiffEntry& entry);
void readMinoltaNoteEntry(InfoContext& ctx, const formats::TiffEntry& entry);

// A note whose entry of one tag names the white balance: its value, and the index of the mode
// text each value stands for.
struct WhiteBalanceMode {
    unsigned value;
    int mode;
};
struct WhiteBalanceNote {
    std::uint16_t tag;
    std::span<const WhiteBalanceMode> modes;
};
extern const WhiteBalanceNote kPentaxWhiteBalance;
extern const WhiteBalanceNote kFujiWhiteBalance;

}  // namespace tavrin::shell
