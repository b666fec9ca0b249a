#include "viewer/command_line.hpp"

#include "platform/system/process.hpp"

namespace tavrin::viewer {

namespace {

bool isSlideshowSwitch(const std::string& arg) {
    return arg.size() == 2 && (arg[0] == '-' || arg[0] == '/') && (arg[1] == 's' || arg[1] == 'S');
}

// The part after the last folder separator, when it has a dot.
bool namesFile(const std::string& arg, std::string& name) {
    const std::size_t slash = arg.find_last_of("/\\");
    name = slash == std::string::npos ? arg : arg.substr(slash + 1);
    return name.find('.') != std::string::npos;
}

}  // namespace

ViewerCommandLine parseCommandLine(const std::vector<std::string>& args) {
    ViewerCommandLine line;
    for (const std::string& arg : args) {
        // Tested before the argument's own switch test, so the switch itself is never listed.
        std::string name;
        if (line.slideshowMode && namesFile(arg, name)) line.slideshowFiles.push_back(name);
        if (isSlideshowSwitch(arg)) {
            line.slideshowMode = true;
        } else if (arg.empty() || arg[0] != '-') {
            line.fileToOpen = arg;
        }
    }
    return line;
}

std::string slideshowParameters(const std::string& folder) {
    return "-s " + process::quoteArgument(folder);
}

}  // namespace tavrin::viewer
