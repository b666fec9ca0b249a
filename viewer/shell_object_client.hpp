#pragma once
// What the viewer asks of the shell object, created in-process through COM for each call: a
// file's embedded preview at its natural size and its information text.

#include <filesystem>
#include <memory>
#include <string>

#include "platform/imaging/bitmap.hpp"

namespace tavrin::viewer {

// Nothing when the object cannot be made or the file has no preview it can extract.
std::unique_ptr<imaging::Bitmap> embeddedPreview(const std::filesystem::path& file);

// The file's thumbnail fitted into a box of that side, as a file manager asks for it.
std::unique_ptr<imaging::Bitmap> thumbnail(const std::filesystem::path& file, int box);

// The info tip's lines without trailing line feeds; empty when the object cannot be made.
std::string infoText(const std::filesystem::path& file);

}  // namespace tavrin::viewer
