#include <lcms2.h>

#include <cstring>
#include <optional>

#include "platform/imaging/codecs.hpp"
#include "platform/system/lazy_library.hpp"

namespace tavrin::imaging::detail {
namespace {

// The Little CMS functions used here, from a library loaded when a picture first brings a
// profile.
struct LcmsApi {
    decltype(&::cmsCreateContext) CreateContext;
    decltype(&::cmsDeleteContext) DeleteContext;
    decltype(&::cmsSetLogErrorHandlerTHR) SetLogErrorHandlerTHR;
    decltype(&::cmsOpenProfileFromMemTHR) OpenProfileFromMemTHR;
    decltype(&::cmsCreate_sRGBProfileTHR) Create_sRGBProfileTHR;
    decltype(&::cmsCloseProfile) CloseProfile;
    decltype(&::cmsGetProfileInfoASCII) GetProfileInfoASCII;
    decltype(&::cmsGetColorSpace) GetColorSpace;
    decltype(&::cmsCreateTransformTHR) CreateTransformTHR;
    decltype(&::cmsDoTransform) DoTransform;
    decltype(&::cmsDeleteTransform) DeleteTransform;
};

const LcmsApi* lcmsApi() {
    static const std::optional<LcmsApi> kApi = []() -> std::optional<LcmsApi> {
        static const system::LazyLibrary kLibrary(TAVRIN_LCMS2_SONAME);
        LcmsApi a{};
        const bool complete = kLibrary.bind(a.CreateContext, "cmsCreateContext") &&
                              kLibrary.bind(a.DeleteContext, "cmsDeleteContext") &&
                              kLibrary.bind(a.SetLogErrorHandlerTHR, "cmsSetLogErrorHandlerTHR") &&
                              kLibrary.bind(a.OpenProfileFromMemTHR, "cmsOpenProfileFromMemTHR") &&
                              kLibrary.bind(a.Create_sRGBProfileTHR, "cmsCreate_sRGBProfileTHR") &&
                              kLibrary.bind(a.CloseProfile, "cmsCloseProfile") &&
                              kLibrary.bind(a.GetProfileInfoASCII, "cmsGetProfileInfoASCII") &&
                              kLibrary.bind(a.GetColorSpace, "cmsGetColorSpace") &&
                              kLibrary.bind(a.CreateTransformTHR, "cmsCreateTransformTHR") &&
                              kLibrary.bind(a.DoTransform, "cmsDoTransform") &&
                              kLibrary.bind(a.DeleteTransform, "cmsDeleteTransform");
        if (!complete) return std::nullopt;
        return a;
    }();
    return kApi ? &*kApi : nullptr;
}

}  // namespace

void applyIccProfile(Bitmap& bitmap, std::span<const std::uint8_t> profile) {
    if (profile.empty()) return;
    const LcmsApi* cms = lcmsApi();
    if (!cms) return;  // the picture stays in its own colours
    cmsContext context = cms->CreateContext(nullptr, nullptr);
    if (!context) return;
    cms->SetLogErrorHandlerTHR(context, [](cmsContext, cmsUInt32Number, const char*) {});
    cmsHPROFILE in = cms->OpenProfileFromMemTHR(context, profile.data(),
                                                static_cast<cmsUInt32Number>(profile.size()));
    cmsHPROFILE srgb = cms->Create_sRGBProfileTHR(context);
    cmsHTRANSFORM transform = nullptr;
    // A profile that says it is sRGB changes nothing on the way to sRGB: building its transform
    // would cost more than the whole thumbnail.
    char description[128] = {};
    if (in) {
        cms->GetProfileInfoASCII(in, cmsInfoDescription, "en", "US", description,
                                 sizeof description);
    }
    const bool isSrgb = std::strstr(description, "sRGB") != nullptr;
    if (in && srgb && !isSrgb && cms->GetColorSpace(in) == cmsSigRgbData) {
        transform = cms->CreateTransformTHR(context, in, TYPE_BGR_8, srgb, TYPE_BGR_8,
                                            INTENT_PERCEPTUAL, 0);
    }
    if (transform) {
        for (int y = 0; y < bitmap.height(); ++y) {
            cms->DoTransform(transform, bitmap.row(y), bitmap.row(y),
                             static_cast<cmsUInt32Number>(bitmap.width()));
        }
        cms->DeleteTransform(transform);
    }
    if (srgb) cms->CloseProfile(srgb);
    if (in) cms->CloseProfile(in);
    cms->DeleteContext(context);
}

}  // namespace tavrin::imaging::detail
