#pragma once
// Paths written in the Windows form (stored settings, association values) on this platform.

#include <filesystem>
#include <string_view>

namespace tavrin::paths {

// "C:\dir\file" becomes $HOME/dir/file (a drive root stands for the user's home folder, the
// one place a user can always write); any other text is a native path as it stands.
std::filesystem::path nativePath(std::string_view text);

}  // namespace tavrin::paths
