#include "platform/imaging/decode.hpp"

#include "platform/imaging/codecs.hpp"
#include "platform/system/files.hpp"

namespace tavrin::imaging {

Decoded decodeImage(std::span<const std::uint8_t> data, const DecodeOptions& options) {
    using namespace detail;
    if (isJpeg(data)) return decodeJpeg(data, options);
    if (isTiff(data)) return decodeTiff(data, options);
    if (isBmp(data)) return decodeBmp(data);
    return failed(Status::UnknownImageFormat);
}

Probed probeImage(std::span<const std::uint8_t> data) {
    using namespace detail;
    if (isJpeg(data)) return probeJpeg(data);
    if (isTiff(data)) return probeTiff(data);
    if (isBmp(data)) return probeBmp(data);
    return Probed{Status::UnknownImageFormat, 0, 0};
}

Decoded decodeImageFile(const std::filesystem::path& path, const DecodeOptions& options) {
    const auto bytes = files::readBytes(path);
    if (!bytes) return detail::failed(Status::FileNotFound);
    return decodeImage(*bytes, options);
}

}  // namespace tavrin::imaging
