// tavrin imageinfo: the image info record of each file, as the shell object reads it.

#include <cerrno>
#include <cstdio>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "hosts/tavrin/commands.hpp"
#include "platform/system/files.hpp"
#include "platform/system/paths.hpp"
#include "shellext/info/image_info_reader.hpp"

namespace tavrin::host {
namespace {

void describe(std::ostream& out, const shell::ImageInfo& i, com::HRESULT result) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(result));
    const shell::ShootingData& s = i.shooting;
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
}

}  // namespace

int runImageInfo(std::span<const std::string_view> args, Io io) {
    std::string previewOut;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--preview" && i + 1 < args.size()) {
            previewOut = args[++i];
        } else if (args[i] == "--help") {
            io.out << "Usage: tavrin imageinfo [--preview OUT] FILE...\n";
            return 0;
        } else {
            files.emplace_back(args[i]);
        }
    }
    if (files.empty() || (!previewOut.empty() && files.size() != 1)) {
        io.err << "Usage: tavrin imageinfo [--preview OUT] FILE... (--preview takes one file)\n";
        return 2;
    }
    int status = 0;
    bool described = false;
    for (std::size_t n = 0; n < files.size(); ++n) {
        if (!readable(files[n], io)) {
            status = 1;
            continue;
        }
        shell::ImageInfo info;
        info.filePath = paths::fullPath(files[n]);
        const com::HRESULT r = shell::ReadImageInfo(info, true);
        if (std::exchange(described, true)) io.out << "\n";
        describe(io.out, info, r);
        if (com::FAILED(r)) status = 1;
        if (!previewOut.empty()) {
            if (!info.previewData) {
                io.err << "tavrin: " << files[n] << " holds no embedded preview\n";
                return 1;
            }
            const auto* bytes = static_cast<const char*>(com::GlobalLock(info.previewData));
            errno = 0;
            const bool written = files::writeAtomically(
                previewOut, std::string_view(bytes, com::GlobalSize(info.previewData)));
            const int error = errno;
            com::GlobalUnlock(info.previewData);
            if (!written) {
                io.err << "tavrin: " << cannotWrite(previewOut, error) << "\n";
                return 1;
            }
        }
    }
    return status;
}

}  // namespace tavrin::host
