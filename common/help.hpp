#pragma once
// Help for the viewer and the applet: the help file beside the viewer program, whose topics are
// installed as local HTML pages and opened with the desktop's browser.

#include <string>
#include <string_view>

namespace tavrin {

// "TavrinHelp.chm" in the folder of the viewer program ("TavrinImage\App").
std::string helpFilePath();

// Opens a help topic ("::/General Options page.htm") of the help file: its page as local
// HTML, when installed beside the help file (in a folder "TavrinHelp"); otherwise nothing.
void showHelp(std::string_view topic);

}  // namespace tavrin
