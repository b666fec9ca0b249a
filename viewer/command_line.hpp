#pragma once
// The viewer's command line: "-s" (or "/s") for a slideshow, then a folder or file names.

#include <string>
#include <vector>

namespace tavrin::viewer {

struct ViewerCommandLine {
    bool slideshowMode = false;
    // The name parts of the arguments after the switch that name a file (a dot in the name).
    std::vector<std::string> slideshowFiles;
    // The last argument that is not a switch: the file to open, or in a slideshow the folder.
    std::string fileToOpen;
};

// args are the arguments after the program name. Only "-s" and "/s" are switches of ours; other
// arguments starting with '-' are switches nobody handles, while arguments starting with '/' are
// paths on this platform.
ViewerCommandLine parseCommandLine(const std::vector<std::string>& args);

// The parameters of a viewer that shows a slideshow of folder: the switch and the folder,
// quoted so that every byte of its name arrives.
std::string slideshowParameters(const std::string& folder);

}  // namespace tavrin::viewer
