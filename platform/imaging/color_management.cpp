#include <lcms2.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

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

// The transforms of the profiles pictures brought, kept for the next picture with the same
// profile: building one costs more than applying it to a thumbnail. A profile that changes
// nothing (sRGB itself, one that is not RGB or does not read) is kept as no transform. All
// threads share the transforms; made without the one-pixel cache, a transform only reads its
// own state while it converts.
class TransformCache {
  public:
    using Transform = std::shared_ptr<void>;

    explicit TransformCache(const LcmsApi& cms)
        : cms_(cms), context_(cms.CreateContext(nullptr, nullptr)) {
        if (context_) {
            cms_.SetLogErrorHandlerTHR(context_, [](cmsContext, cmsUInt32Number, const char*) {});
        }
    }
    TransformCache(const TransformCache&) = delete;
    TransformCache& operator=(const TransformCache&) = delete;
    ~TransformCache() {
        entries_.clear();
        if (context_) cms_.DeleteContext(context_);
    }

    // The transform from profile to sRGB; none when the pixels stay as they are.
    Transform find(std::span<const std::uint8_t> profile) {
        if (!context_) return nullptr;
        std::lock_guard lock(mutex_);
        const auto known = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) {
            return std::equal(e.profile.begin(), e.profile.end(), profile.begin(), profile.end());
        });
        if (known != entries_.end()) return known->transform;
        if (entries_.size() == kMaxProfiles) entries_.erase(entries_.begin());
        entries_.push_back({{profile.begin(), profile.end()}, make(profile)});
        return entries_.back().transform;
    }

  private:
    // Pictures of one folder mostly bring the few profiles of their cameras.
    static constexpr std::size_t kMaxProfiles = 8;

    struct Entry {
        std::vector<std::uint8_t> profile;
        Transform transform;
    };

    Transform make(std::span<const std::uint8_t> profile) {
        cmsHPROFILE in = cms_.OpenProfileFromMemTHR(context_, profile.data(),
                                                    static_cast<cmsUInt32Number>(profile.size()));
        cmsHPROFILE srgb = cms_.Create_sRGBProfileTHR(context_);
        cmsHTRANSFORM transform = nullptr;
        // A profile that says it is sRGB changes nothing on the way to sRGB: building its
        // transform would cost more than the whole thumbnail.
        char description[128] = {};
        if (in) {
            cms_.GetProfileInfoASCII(in, cmsInfoDescription, "en", "US", description,
                                     sizeof description);
        }
        const bool isSrgb = std::strstr(description, "sRGB") != nullptr;
        if (in && srgb && !isSrgb && cms_.GetColorSpace(in) == cmsSigRgbData) {
            transform = cms_.CreateTransformTHR(context_, in, TYPE_BGR_8, srgb, TYPE_BGR_8,
                                                INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE);
        }
        if (srgb) cms_.CloseProfile(srgb);
        if (in) cms_.CloseProfile(in);
        if (!transform) return nullptr;
        const auto deleteTransform = cms_.DeleteTransform;
        return Transform(transform, [deleteTransform](void* t) { deleteTransform(t); });
    }

    const LcmsApi& cms_;
    cmsContext context_;
    std::mutex mutex_;
    std::vector<Entry> entries_;  // oldest first
};

}  // namespace

void applyIccProfile(Bitmap& bitmap, std::span<const std::uint8_t> profile) {
    if (profile.empty()) return;
    const LcmsApi* cms = lcmsApi();
    if (!cms) return;  // the picture stays in its own colours
    static TransformCache transforms(*cms);
    const TransformCache::Transform transform = transforms.find(profile);
    if (!transform) return;
    for (int y = 0; y < bitmap.height(); ++y) {
        cms->DoTransform(transform.get(), bitmap.row(y), bitmap.row(y),
                         static_cast<cmsUInt32Number>(bitmap.width()));
    }
}

}  // namespace tavrin::imaging::detail
