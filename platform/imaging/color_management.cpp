#include <lcms2.h>

#include <cstring>

#include "platform/imaging/codecs.hpp"

namespace tavrin::imaging::detail {

void applyIccProfile(Bitmap& bitmap, std::span<const std::uint8_t> profile) {
    if (profile.empty()) return;
    cmsContext context = cmsCreateContext(nullptr, nullptr);
    if (!context) return;
    cmsSetLogErrorHandlerTHR(context, [](cmsContext, cmsUInt32Number, const char*) {});
    cmsHPROFILE in = cmsOpenProfileFromMemTHR(context, profile.data(),
                                              static_cast<cmsUInt32Number>(profile.size()));
    cmsHPROFILE srgb = cmsCreate_sRGBProfileTHR(context);
    cmsHTRANSFORM transform = nullptr;
    // A profile that says it is sRGB changes nothing on the way to sRGB: building its transform
    // would cost more than the whole thumbnail.
    char description[128] = {};
    if (in) cmsGetProfileInfoASCII(in, cmsInfoDescription, "en", "US", description, sizeof description);
    const bool isSrgb = std::strstr(description, "sRGB") != nullptr;
    if (in && srgb && !isSrgb && cmsGetColorSpace(in) == cmsSigRgbData) {
        transform =
            cmsCreateTransformTHR(context, in, TYPE_BGR_8, srgb, TYPE_BGR_8, INTENT_PERCEPTUAL, 0);
    }
    if (transform) {
        for (int y = 0; y < bitmap.height(); ++y) {
            cmsDoTransform(transform, bitmap.row(y), bitmap.row(y),
                           static_cast<cmsUInt32Number>(bitmap.width()));
        }
        cmsDeleteTransform(transform);
    }
    if (srgb) cmsCloseProfile(srgb);
    if (in) cmsCloseProfile(in);
    cmsDeleteContext(context);
}

}  // namespace tavrin::imaging::detail
