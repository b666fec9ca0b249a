#include "shellext/extractor/image_info_record.hpp"

#include <cstdio>
#include <sstream>

namespace tavrin::shell {

std::string imageInfoRecord(const ImageInfo& i, com::HRESULT result) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(result));
    const ShootingData& s = i.shooting;
    std::ostringstream out;
    out << "filePath: " << i.filePath << "\n"
        << "result: " << code << "\n"
        << "requestedWidth: " << i.requestedWidth << "\n"
        << "requestedHeight: " << i.requestedHeight << "\n"
        << "orientation: " << i.orientation << "\n"
        << "make: " << i.make << "\n"
        << "model: " << i.model << "\n"
        << "model2: " << i.model2 << "\n"
        << "software: " << i.software << "\n"
        << "fileSize: " << i.fileSize << "\n"
        << "isoText: " << s.isoText << "\n"
        << "sizeNote: " << s.sizeNote << "\n"
        << "focalNote: " << s.focalNote << "\n"
        << "apertureNote: " << s.apertureNote << "\n"
        << "dateTaken: " << s.dateTaken << "\n"
        << "exposureTime: " << s.exposureTime << "\n"
        << "aperture: " << s.aperture << "\n"
        << "focalLength: " << s.focalLength << "\n"
        << "flash: " << s.flash << "\n"
        << "whiteBalance: " << s.whiteBalance << "\n"
        << "width: " << s.width << "\n"
        << "height: " << s.height << "\n"
        << "previewOffset: " << i.previewOffset << "\n"
        << "previewLength: " << i.previewLength << "\n"
        << "previewPlanar: " << (i.previewPlanar ? 1 : 0) << "\n"
        << "previewWidth: " << i.previewWidth << "\n"
        << "previewHeight: " << i.previewHeight << "\n"
        << "previewData: " << com::GlobalSize(i.previewData) << " bytes\n"
        << "extraInfo:\n";
    std::size_t start = 0;
    while (start < i.extraInfo.size()) {
        const auto end = i.extraInfo.find('\n', start);
        out << "    " << i.extraInfo.substr(start, end - start) << "\n";
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return out.str();
}

}  // namespace tavrin::shell
