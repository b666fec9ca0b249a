#pragma once
// The raw loaders identification can choose, by the names the engine reports them with.

#include <string_view>

namespace tavrin::raw {

// One row per loader: its id, the name the engine reports it with (also the step name of its
// memory-error text), and the function that reads its sensor data. UNDECODABLE rows have no
// function: nothing to load (None), or the Kodak radial code's bit format and the Sony cipher,
// which are not known well enough to reproduce; a guess would paint noise, so such files are
// refused as not implemented.
#define TAVRIN_RAW_LOADERS(LOADER, UNDECODABLE)                                      \
    UNDECODABLE(kNone, "none")                                                       \
    LOADER(kCanon600Raw, "LoadCanon600Raw", loadCanon600Raw)                         \
    LOADER(kCanonA5Raw, "LoadCanonA5Raw", loadCanonA5Raw)                            \
    LOADER(kCanonCompressedRaw, "canon_compressed_load_raw", loadCanonCompressedRaw) \
    LOADER(kLosslessJpegRaw, "LoadLosslessJpegRaw", loadLosslessJpegRaw)             \
    LOADER(kDngLosslessRaw, "LoadDngLosslessRaw", loadDngLosslessRaw)                \
    LOADER(kDngUncompressedRaw, "adobe_dng_load_raw_nc", loadDngUncompressedRaw)     \
    LOADER(kNikonCompressedRaw, "nikon_compressed_load_raw", loadNikonCompressedRaw) \
    LOADER(kNikonPackedRaw, "LoadNikonPackedRaw", loadNikonPackedRaw)                \
    LOADER(kNikonE900Raw, "LoadNikonE900Raw", loadNikonE900Raw)                      \
    LOADER(kNikonE2100Raw, "LoadNikonE2100Raw", loadNikonE2100Raw)                   \
    LOADER(kPacked12Raw, "LoadPacked12Raw", loadPacked12Raw)                         \
    LOADER(kOlympusCRaw, "LoadOlympusCRaw", loadOlympusCRaw)                         \
    LOADER(kCasioQV5700Raw, "LoadCasioQV5700Raw", loadCasioQV5700Raw)                \
    LOADER(kRolleiRaw, "LoadRolleiRaw", loadRolleiRaw)                               \
    LOADER(kFujiS2Raw, "LoadFujiS2Raw", loadFujiS2Raw)                               \
    LOADER(kFujiS3Raw, "LoadFujiS3Raw", loadFujiS3Raw)                               \
    LOADER(kFujiRotatedRaw, "LoadFujiRotatedRaw", loadFujiRotatedRaw)                \
    LOADER(kFujiF700Raw, "LoadFujiF700Raw", loadFujiF700Raw)                         \
    UNDECODABLE(kKodakRadialRaw, "LoadKodakRadialRaw")                               \
    LOADER(kKodakDc120Raw, "LoadKodakDc120Raw", loadKodakDc120Raw)                   \
    LOADER(kKodak65000Raw, "LoadKodak65000Raw", loadKodak65000Raw)                   \
    LOADER(kKodakYuvRaw, "LoadKodakYuvRaw", loadKodakYuvRaw)                         \
    LOADER(kPhaseOneRaw, "phase_one_load_raw", loadPhaseOneRaw)                      \
    LOADER(kLeafRaw, "leaf_load_raw", loadLeafRaw)                                   \
    LOADER(kUnpackedRaw, "unpacked_load_raw", loadUnpackedRaw)                       \
    LOADER(kOlympusE300Raw, "olympus_e300_load_raw", loadOlympusE300Raw)             \
    LOADER(kEightBitRaw, "eight_bit_load_raw", loadEightBitRaw)                      \
    LOADER(kNucoreRaw, "nucore_load_raw", loadNucoreRaw)                             \
    LOADER(kKodakEasyRaw, "kodak_easy_load_raw", loadKodakEasyRaw)                   \
    UNDECODABLE(kSonyRaw, "sony_load_raw")                                           \
    LOADER(kFoveonRaw, "LoadFoveonRaw", loadFoveonRaw)                               \
    LOADER(kNothing, "LoadNothing", loadNothing)

#define TAVRIN_LOADER_ID(id, ...) id,
enum class Loader { TAVRIN_RAW_LOADERS(TAVRIN_LOADER_ID, TAVRIN_LOADER_ID) };
#undef TAVRIN_LOADER_ID

std::string_view loaderName(Loader loader);

}  // namespace tavrin::raw
