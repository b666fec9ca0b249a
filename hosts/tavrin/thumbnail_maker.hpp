#pragma once
// Thumbnails as a file manager asks the shell object for them: Load, GetLocation with the box,
// Extract. tavrin thumbnail and tavrin cache both make theirs here.

#include <string>

#include "hosts/tavrin/commands.hpp"
#include "platform/com/shell_interfaces.hpp"
#include "platform/imaging/gdi_handles.hpp"

namespace tavrin::host {

struct Thumbnail {
    imaging::BitmapHandle bitmap;  // empty when there is none
    com::HRESULT result = com::E_FAIL;
    // Why there is none, for the user: "no embedded preview, and no raw data ... (0x80004001)".
    std::string why() const;
};

// One shell object, used for one file after another on one thread.
class ThumbnailMaker {
  public:
    // False, with one line on io.err, when the object cannot be made.
    bool open(Io io);
    // Starts a file, given by its full path.
    void load(const std::string& path);
    // The loaded file's picture fitted into size x size (0: its natural size), alone or, with
    // canvas, centred on a white square. Further sizes of one file reuse what the object read.
    Thumbnail extract(int size, bool canvas = false);

  private:
    com::ComPtr<com::IExtractImage2> extract_;
};

}  // namespace tavrin::host
