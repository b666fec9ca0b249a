#include "rawengine/loaders.hpp"

#include <array>

namespace tavrin::raw {
namespace {

constexpr std::array kNames{
    "none",
    "LoadCanon600Raw",
    "LoadCanonA5Raw",
    "canon_compressed_load_raw",
    "LoadLosslessJpegRaw",
    "LoadDngLosslessRaw",
    "adobe_dng_load_raw_nc",
    "nikon_compressed_load_raw",
    "LoadNikonPackedRaw",
    "LoadNikonE900Raw",
    "LoadNikonE2100Raw",
    "LoadPacked12Raw",
    "LoadOlympusCRaw",
    "LoadCasioQV5700Raw",
    "LoadRolleiRaw",
    "LoadFujiS2Raw",
    "LoadFujiS3Raw",
    "LoadFujiRotatedRaw",
    "LoadFujiF700Raw",
    "LoadKodakRadialRaw",
    "LoadKodakDc120Raw",
    "LoadKodak65000Raw",
    "LoadKodakYuvRaw",
    "phase_one_load_raw",
    "leaf_load_raw",
    "unpacked_load_raw",
    "olympus_e300_load_raw",
    "eight_bit_load_raw",
    "nucore_load_raw",
    "kodak_easy_load_raw",
    "sony_load_raw",
    "LoadFoveonRaw",
    "LoadNothing",
};
static_assert(kNames.size() == static_cast<std::size_t>(Loader::LoadNothing) + 1);

}  // namespace

std::string_view loaderName(Loader loader) {
    return kNames[static_cast<std::size_t>(loader)];
}

}  // namespace tavrin::raw
