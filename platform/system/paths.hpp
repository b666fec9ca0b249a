#pragma once
// Paths written in the Windows form (stored settings, association values) on this platform, and
// paths as the file manager hands them to the shell object.

#include <filesystem>
#include <string>
#include <string_view>

namespace tavrin::paths {

// "C:\dir\file" becomes $HOME/dir/file (a drive root stands for the user's home folder, the
// one place a user can always write); any other text is a native path as it stands.
std::filesystem::path nativePath(std::string_view text);

// The full, normalised form of a path as typed ("./x.jpg" becomes "/cwd/x.jpg"), as Explorer
// gives paths to the shell object; as it stands when the current folder is gone.
std::string fullPath(std::string_view path);

}  // namespace tavrin::paths
