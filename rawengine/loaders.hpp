#pragma once
// The raw loaders identification can choose, by the names the engine reports them with.

#include <string_view>

namespace tavrin::raw {

// One row per loader: its id, the name the engine reports it with (also the step name of its
// memory-error text), and the function that reads its sensor data. UNDECODABLE rows have no
// function: nothing to load (None), or the Kodak radial code's bit format and the Sony cipher,
// which are not known well enough to reproduce; a guess would paint noise, so such files are
// refused as not implemented.
#define TAVRIN_RAW_LOADERS(LOADER, UNDECODABLE)                                            \
    UNDECODABLE(None, "none")                                                              \
    LOADER(LoadCanon600Raw, "LoadCanon600Raw", loadCanon600Raw)                            \
    LOADER(LoadCanonA5Raw, "LoadCanonA5Raw", loadCanonA5Raw)                               \
    LOADER(canon_compressed_load_raw, "canon_compressed_load_raw", loadCanonCompressedRaw) \
    LOADER(LoadLosslessJpegRaw, "LoadLosslessJpegRaw", loadLosslessJpegRaw)                \
    LOADER(LoadDngLosslessRaw, "LoadDngLosslessRaw", loadDngLosslessRaw)                   \
    LOADER(adobe_dng_load_raw_nc, "adobe_dng_load_raw_nc", loadDngUncompressedRaw)         \
    LOADER(nikon_compressed_load_raw, "nikon_compressed_load_raw", loadNikonCompressedRaw) \
    LOADER(LoadNikonPackedRaw, "LoadNikonPackedRaw", loadNikonPackedRaw)                   \
    LOADER(LoadNikonE900Raw, "LoadNikonE900Raw", loadNikonE900Raw)                         \
    LOADER(LoadNikonE2100Raw, "LoadNikonE2100Raw", loadNikonE2100Raw)                      \
    LOADER(LoadPacked12Raw, "LoadPacked12Raw", loadPacked12Raw)                            \
    LOADER(LoadOlympusCRaw, "LoadOlympusCRaw", loadOlympusCRaw)                            \
    LOADER(LoadCasioQV5700Raw, "LoadCasioQV5700Raw", loadCasioQV5700Raw)                   \
    LOADER(LoadRolleiRaw, "LoadRolleiRaw", loadRolleiRaw)                                  \
    LOADER(LoadFujiS2Raw, "LoadFujiS2Raw", loadFujiS2Raw)                                  \
    LOADER(LoadFujiS3Raw, "LoadFujiS3Raw", loadFujiS3Raw)                                  \
    LOADER(LoadFujiRotatedRaw, "LoadFujiRotatedRaw", loadFujiRotatedRaw)                   \
    LOADER(LoadFujiF700Raw, "LoadFujiF700Raw", loadFujiF700Raw)                            \
    UNDECODABLE(LoadKodakRadialRaw, "LoadKodakRadialRaw")                                  \
    LOADER(LoadKodakDc120Raw, "LoadKodakDc120Raw", loadKodakDc120Raw)                      \
    LOADER(LoadKodak65000Raw, "LoadKodak65000Raw", loadKodak65000Raw)                      \
    LOADER(LoadKodakYuvRaw, "LoadKodakYuvRaw", loadKodakYuvRaw)                            \
    LOADER(phase_one_load_raw, "phase_one_load_raw", loadPhaseOneRaw)                      \
    LOADER(leaf_load_raw, "leaf_load_raw", loadLeafRaw)                                    \
    LOADER(unpacked_load_raw, "unpacked_load_raw", loadUnpackedRaw)                        \
    LOADER(olympus_e300_load_raw, "olympus_e300_load_raw", loadOlympusE300Raw)             \
    LOADER(eight_bit_load_raw, "eight_bit_load_raw", loadEightBitRaw)                      \
    LOADER(nucore_load_raw, "nucore_load_raw", loadNucoreRaw)                              \
    LOADER(kodak_easy_load_raw, "kodak_easy_load_raw", loadKodakEasyRaw)                   \
    UNDECODABLE(sony_load_raw, "sony_load_raw")                                            \
    LOADER(LoadFoveonRaw, "LoadFoveonRaw", loadFoveonRaw)                                  \
    LOADER(LoadNothing, "LoadNothing", loadNothing)

#define TAVRIN_LOADER_ID(id, ...) id,
enum class Loader { TAVRIN_RAW_LOADERS(TAVRIN_LOADER_ID, TAVRIN_LOADER_ID) };
#undef TAVRIN_LOADER_ID

std::string_view loaderName(Loader loader);

}  // namespace tavrin::raw
