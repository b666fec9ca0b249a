#pragma once
// The libtiff functions the imaging layer uses, from a library loaded when a TIFF is first read
// or written.

#include <tiffio.h>

namespace tavrin::imaging::detail {

struct TiffApi {
    decltype(&::TIFFOpenOptionsAlloc) OpenOptionsAlloc;
    decltype(&::TIFFOpenOptionsFree) OpenOptionsFree;
    decltype(&::TIFFOpenOptionsSetMaxSingleMemAlloc) OpenOptionsSetMaxSingleMemAlloc;
    decltype(&::TIFFOpenOptionsSetErrorHandlerExtR) OpenOptionsSetErrorHandlerExtR;
    decltype(&::TIFFOpenOptionsSetWarningHandlerExtR) OpenOptionsSetWarningHandlerExtR;
    decltype(&::TIFFClientOpenExt) ClientOpenExt;
    decltype(&::TIFFClose) Close;
    decltype(&::TIFFFlush) Flush;
    decltype(&::TIFFGetField) GetField;
    decltype(&::TIFFSetField) SetField;
    decltype(&::TIFFDefaultStripSize) DefaultStripSize;
    decltype(&::TIFFWriteScanline) WriteScanline;
    decltype(&::TIFFRGBAImageOK) RGBAImageOK;
    decltype(&::TIFFReadRGBAImageOriented) ReadRGBAImageOriented;
};

// The functions, or nullptr when libtiff cannot be loaded.
const TiffApi* tiffApi();

}  // namespace tavrin::imaging::detail
