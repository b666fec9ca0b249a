#include "engine_settings/decode_texts.hpp"

#include "common/strings.hpp"

namespace tavrin::engine_settings {
namespace {

constexpr strings::FormatId<const char*> kOutOfMemory = 511;
constexpr strings::FormatId<const char*, const char*, const char*> kLoading = 512;
constexpr unsigned kFoveonInterpolation = 513;
constexpr unsigned kBilinear = 514;
constexpr unsigned kVng = 515;
constexpr unsigned kConverting = 516;

}  // namespace

std::string statusText(const raw::DecodeStatus& status) {
    using raw::DecodeStage;
    switch (status.stage) {
        case DecodeStage::Loading:
            return strings::format(kLoading, std::string(status.make).c_str(),
                                   std::string(status.model).c_str(),
                                   std::string(status.path).c_str());
        case DecodeStage::FoveonInterpolation:
            return std::string(strings::get(kFoveonInterpolation));
        case DecodeStage::BilinearInterpolation:
            return std::string(strings::get(kBilinear));
        case DecodeStage::VngInterpolation:
            return std::string(strings::get(kVng));
        case DecodeStage::Converting:
            return std::string(strings::get(kConverting));
    }
    return {};
}

std::string loaderErrorText(const raw::CImageLoaderException& error) {
    if (error.outOfMemoryStep().empty()) return error.text();
    return strings::format(kOutOfMemory, error.outOfMemoryStep().c_str());
}

}  // namespace tavrin::engine_settings
