// tavrin imageinfo: the image info record of each file, as the shell object reads it.

#include <cerrno>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "hosts/tavrin/commands.hpp"
#include "hosts/tavrin/shell_object.hpp"
#include "platform/system/files.hpp"
#include "shellext/image_info_source.hpp"

namespace tavrin::host {
namespace {

// A global block's bytes as text; the block is freed.
std::string takeText(com::HGLOBAL block) {
    const auto* bytes = static_cast<const char*>(com::GlobalLock(block));
    std::string text(bytes ? bytes : "", com::GlobalSize(block));
    com::GlobalUnlock(block);
    com::GlobalFree(block);
    return text;
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
        com::ComPtr<shell::IImageInfoSource> source;
        if (com::FAILED(createFor(files[n], source, io))) return 1;
        com::HGLOBAL record = nullptr, preview = nullptr;
        const com::HRESULT r = source->GetImageInfo(1, &record, &preview);
        if (!record) {
            com::GlobalFree(preview);
            io.err << "tavrin: the shell object gave no record (" << hex(r) << ")\n";
            return 1;
        }
        if (std::exchange(described, true)) io.out << "\n";
        io.out << takeText(record);
        if (com::FAILED(r)) status = 1;
        if (!previewOut.empty()) {
            if (!preview) {
                io.err << "tavrin: " << files[n] << " holds no embedded preview\n";
                return 1;
            }
            errno = 0;
            const bool written = files::writeAtomically(previewOut, takeText(preview));
            const int error = errno;
            if (!written) {
                io.err << "tavrin: " << cannotWrite(previewOut, error) << "\n";
                return 1;
            }
        } else {
            com::GlobalFree(preview);
        }
    }
    return status;
}

}  // namespace tavrin::host
