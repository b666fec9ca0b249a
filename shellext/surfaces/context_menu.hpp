#pragma once
// The context-menu commands on the shell object's selection: put files aside (append
// ".trashed"), take them back, show them as a slideshow, open one in the viewer.

#include <string>
#include <vector>

#include "platform/com/shell_interfaces.hpp"

namespace tavrin::shell {

// Command offsets from the first id the file manager hands over.
enum class MenuCommand : com::UINT {
    OpenInViewer = 0,
    PutAside = 1,
    TakeBack = 2,
    Slideshow = 3,
    Separator = 4
};

// Either one file (filePath) or several (files, used when not empty).
struct MenuSelection {
    const std::string& filePath;
    const std::vector<std::string>& files;
};

com::HRESULT buildContextMenu(const MenuSelection& selection, com::HMENU menu, com::UINT index,
                              com::UINT firstId, com::UINT flags);
com::HRESULT invokeMenuCommand(const MenuSelection& selection,
                               const com::CMINVOKECOMMANDINFO* info);
com::HRESULT menuHelpText(std::uintptr_t id, com::UINT type, char* buffer, com::UINT chars);

}  // namespace tavrin::shell
