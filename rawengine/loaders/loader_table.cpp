#include <array>
#include <utility>

#include "rawengine/foveon/foveon_loader.hpp"
#include "rawengine/loaders/canon_compressed.hpp"
#include "rawengine/loaders/lossless_jpeg.hpp"
#include "rawengine/loaders/raw_loaders.hpp"

namespace tavrin::raw {
namespace {

// Not decodable here: the Kodak radial code's bit format and the Sony cipher are not known
// well enough to reproduce, and a guess would paint noise. Such files are refused as not
// implemented.
constexpr std::array<std::pair<Loader, StageFn>, 30> kLoaders{{
    {Loader::LoadCanon600Raw, LoadCanon600Raw},
    {Loader::LoadCanonA5Raw, LoadCanonA5Raw},
    {Loader::canon_compressed_load_raw, canon_compressed_load_raw},
    {Loader::LoadLosslessJpegRaw, LoadLosslessJpegRaw},
    {Loader::LoadDngLosslessRaw, LoadDngLosslessRaw},
    {Loader::adobe_dng_load_raw_nc, adobe_dng_load_raw_nc},
    {Loader::nikon_compressed_load_raw, nikon_compressed_load_raw},
    {Loader::LoadNikonPackedRaw, LoadNikonPackedRaw},
    {Loader::LoadNikonE900Raw, LoadNikonE900Raw},
    {Loader::LoadNikonE2100Raw, LoadNikonE2100Raw},
    {Loader::LoadPacked12Raw, LoadPacked12Raw},
    {Loader::LoadOlympusCRaw, LoadOlympusCRaw},
    {Loader::LoadCasioQV5700Raw, LoadCasioQV5700Raw},
    {Loader::LoadRolleiRaw, LoadRolleiRaw},
    {Loader::LoadFujiS2Raw, LoadFujiS2Raw},
    {Loader::LoadFujiS3Raw, LoadFujiS3Raw},
    {Loader::LoadFujiRotatedRaw, LoadFujiRotatedRaw},
    {Loader::LoadFujiF700Raw, LoadFujiF700Raw},
    {Loader::LoadKodakDc120Raw, LoadKodakDc120Raw},
    {Loader::LoadKodak65000Raw, LoadKodak65000Raw},
    {Loader::LoadKodakYuvRaw, LoadKodakYuvRaw},
    {Loader::phase_one_load_raw, phase_one_load_raw},
    {Loader::leaf_load_raw, leaf_load_raw},
    {Loader::unpacked_load_raw, unpacked_load_raw},
    {Loader::olympus_e300_load_raw, olympus_e300_load_raw},
    {Loader::eight_bit_load_raw, eight_bit_load_raw},
    {Loader::nucore_load_raw, nucore_load_raw},
    {Loader::kodak_easy_load_raw, kodak_easy_load_raw},
    {Loader::LoadFoveonRaw, LoadFoveonRaw},
    {Loader::LoadNothing, LoadNothing},
}};

}  // namespace

StageFn loaderFor(Loader loader) {
    for (const auto& [id, fn] : kLoaders) {
        if (id == loader) return fn;
    }
    return nullptr;
}

}  // namespace tavrin::raw
