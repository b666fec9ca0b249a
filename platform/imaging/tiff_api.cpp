#include "platform/imaging/tiff_api.hpp"

#include <optional>

#include "platform/system/lazy_library.hpp"

namespace tavrin::imaging::detail {

const TiffApi* tiffApi() {
    static const std::optional<TiffApi> api = []() -> std::optional<TiffApi> {
        static const system::LazyLibrary library(TAVRIN_TIFF_SONAME);
        TiffApi a{};
        const bool complete =
            library.bind(a.OpenOptionsAlloc, "TIFFOpenOptionsAlloc") &&
            library.bind(a.OpenOptionsFree, "TIFFOpenOptionsFree") &&
            library.bind(a.OpenOptionsSetMaxSingleMemAlloc,
                         "TIFFOpenOptionsSetMaxSingleMemAlloc") &&
            library.bind(a.OpenOptionsSetErrorHandlerExtR, "TIFFOpenOptionsSetErrorHandlerExtR") &&
            library.bind(a.OpenOptionsSetWarningHandlerExtR,
                         "TIFFOpenOptionsSetWarningHandlerExtR") &&
            library.bind(a.ClientOpenExt, "TIFFClientOpenExt") &&
            library.bind(a.Close, "TIFFClose") && library.bind(a.Flush, "TIFFFlush") &&
            library.bind(a.GetField, "TIFFGetField") && library.bind(a.SetField, "TIFFSetField") &&
            library.bind(a.DefaultStripSize, "TIFFDefaultStripSize") &&
            library.bind(a.WriteScanline, "TIFFWriteScanline") &&
            library.bind(a.RGBAImageOK, "TIFFRGBAImageOK") &&
            library.bind(a.ReadRGBAImageOriented, "TIFFReadRGBAImageOriented");
        if (!complete) return std::nullopt;
        return a;
    }();
    return api ? &*api : nullptr;
}

}  // namespace tavrin::imaging::detail
