#include "hosts/tavrin/commands.hpp"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <ostream>

#include "platform/system/files.hpp"

namespace tavrin::host {
namespace {

constexpr Command kCommands[] = {
    {"thumbnail", runThumbnail, "thumbnail [-s SIZE] [--canvas] INPUT OUTPUT.png",
     "write the thumbnail of a file as PNG (the freedesktop thumbnailer protocol)"},
    {"cache", runCache,
     "cache [--size normal|large|x-large|xx-large]... [--jobs N] [--force] [--quiet] "
     "FOLDER|FILE...",
     "fill the desktop's thumbnail cache for files and folders (default sizes normal and "
     "large, one job per core)"},
    {"icon", runIcon, "icon FILE [--png OUT.png]",
     "show the type icon's module and index; write the icon as a 64-pixel PNG"},
    {"tip", runTip, "tip FILE", "show the info tip of a file"},
    {"columns", runColumns, "columns FILE...", "show the detail columns of files"},
    {"info", runInfo, "info FILE", "show the image-information page of a file"},
    {"histogram", runHistogram, "histogram FILE OUT.png",
     "draw the histogram page of a file: its preview and its histogram"},
    {"menu", runMenu, "menu FILE...", "list the context-menu commands for a selection"},
    {"invoke", runInvoke, "invoke aside|back|slideshow|open FILE...",
     "run a context-menu command: put files aside, take them back, slideshow, open in the viewer"},
    {"register", runRegister, "register [--system]", "register the shell object"},
    {"unregister", runUnregister, "unregister [--system]",
     "remove the shell object's registration"},
    {"imageinfo", runImageInfo, "imageinfo [--preview OUT] FILE...",
     "show what the shell object reads of files; write the embedded preview"},
    {"decode", runDecode,
     "decode [--half] [--quality 1|2|3] [--wb 0|1|2] [--brightness N] FILE OUT",
     "decode a RAW file to a PNG, PPM or TIFF picture"},
    {"identify", runIdentify, "identify FILE...",
     "tell camera, geometry, levels and loader of RAW files"},
    {"reg", runReg,
     "reg query KEY [/v NAME | /ve] [/s]\n"
     "  reg add KEY [/v NAME | /ve] [/t REG_SZ|REG_DWORD] [/d DATA] [/f]\n"
     "  reg delete KEY [/v NAME | /ve | /va] [/f]",
     "inspect and change Tavrin's registry (KEY starts with HKCU\\ or HKCR\\)"},
};

void printHelp(std::ostream& out) {
    out << "Usage: tavrin COMMAND [ARGUMENTS]\n\nCommands:\n";
    for (const auto& c : kCommands)
        out << "  " << c.name << "  " << c.summary << "\n";
    out << "\nUsage of each command:\n";
    for (const auto& c : kCommands)
        out << "  " << c.usage << "\n";
}

}  // namespace

std::span<const Command> commands() {
    return kCommands;
}

int runHost(std::span<const std::string_view> argv, Io io) {
    if (argv.size() < 2 || argv[1] == "--help" || argv[1] == "-h") {
        printHelp(argv.size() < 2 ? io.err : io.out);
        return argv.size() < 2 ? 2 : 0;
    }
    for (const auto& c : kCommands) {
        if (c.name == argv[1]) return c.run(argv.subspan(2), io);
    }
    io.err << "tavrin: unknown command '" << argv[1] << "' (try tavrin --help)\n";
    return 2;
}

bool readable(const std::string& path, Io io) {
    const std::string problem = files::whyUnreadable(path);
    if (problem.empty()) return true;
    io.err << "tavrin: cannot read " << path << ": " << problem << "\n";
    return false;
}

std::string cannotWrite(const std::string& path, int error) {
    std::string line = "cannot write " + path;
    switch (error) {
        case 0:
            return line;
        case ENOENT:
        case ENOTDIR:
            return line + ": no such folder";
        case EACCES:
        case EPERM:
            return line + ": permission denied";
        case EISDIR:
            return line + ": it is a folder";
        default: {
            std::string reason = std::strerror(error);
            if (!reason.empty()) reason[0] = static_cast<char>(std::tolower(reason[0]));
            return line + ": " + reason;
        }
    }
}

}  // namespace tavrin::host
