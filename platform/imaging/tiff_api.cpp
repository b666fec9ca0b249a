#include "platform/imaging/tiff_api.hpp"

#include <optional>

#include "platform/system/lazy_library.hpp"

namespace tavrin::imaging::detail {

const TiffApi* tiffApi() {
    static const std::optional<TiffApi> kApi = []() -> std::optional<TiffApi> {
        static const system::LazyLibrary kLibrary(TAVRIN_TIFF_SONAME);
        TiffApi a{};
        const bool complete =
            kLibrary.bind(a.OpenOptionsAlloc, "TIFFOpenOptionsAlloc") &&
            kLibrary.bind(a.OpenOptionsFree, "TIFFOpenOptionsFree") &&
            kLibrary.bind(a.OpenOptionsSetMaxSingleMemAlloc,
                          "TIFFOpenOptionsSetMaxSingleMemAlloc") &&
            kLibrary.bind(a.OpenOptionsSetErrorHandlerExtR, "TIFFOpenOptionsSetErrorHandlerExtR") &&
            kLibrary.bind(a.OpenOptionsSetWarningHandlerExtR,
                          "TIFFOpenOptionsSetWarningHandlerExtR") &&
            kLibrary.bind(a.ClientOpenExt, "TIFFClientOpenExt") &&
            kLibrary.bind(a.Close, "TIFFClose") && kLibrary.bind(a.Flush, "TIFFFlush") &&
            kLibrary.bind(a.GetField, "TIFFGetField") &&
            kLibrary.bind(a.SetField, "TIFFSetField") &&
            kLibrary.bind(a.DefaultStripSize, "TIFFDefaultStripSize") &&
            kLibrary.bind(a.WriteScanline, "TIFFWriteScanline") &&
            kLibrary.bind(a.RGBAImageOK, "TIFFRGBAImageOK") &&
            kLibrary.bind(a.ReadRGBAImageOriented, "TIFFReadRGBAImageOriented");
        if (!complete) return std::nullopt;
        return a;
    }();
    return kApi ? &*kApi : nullptr;
}

}  // namespace tavrin::imaging::detail
