// The MIME types file managers give the supported types: the desktop's own names where the
// shared MIME database has one, the names Tavrin's MIME package installs for the others.

#include <algorithm>
#include <string_view>

#include "common/file_types.hpp"
#include "hosts/tavrin/thumbnail_cache.hpp"
#include "platform/system/ascii.hpp"

namespace tavrin::host {
namespace {

struct MimeType {
    std::string_view extension;
    std::string_view type;
};

constexpr MimeType kMimeTypes[] = {
    {".bay", "image/x-tavrin-bay"},
    {".bmq", "image/x-tavrin-bmq"},
    {".ccd", "image/x-tavrin-ccd"},
    {".cr2", "image/x-canon-cr2"},
    {".crw", "image/x-canon-crw"},
    {".cs1", "image/x-tavrin-cs1"},
    {".dc2", "image/x-tavrin-dc2"},
    {".dcr", "image/x-kodak-dcr"},
    {".dng", "image/x-adobe-dng"},
    {".erf", "image/x-tavrin-erf"},
    {".fff", "image/x-tavrin-fff"},
    {".hdr", "image/x-tavrin-hdr"},
    {".jpg", "image/jpeg"},
    {".jpeg", "image/jpeg"},
    {".k25", "image/x-kodak-k25"},
    {".kdc", "image/x-kodak-kdc"},
    {".mos", "image/x-tavrin-mos"},
    {".mrw", "image/x-minolta-mrw"},
    {".nef", "image/x-nikon-nef"},
    {".orf", "image/x-olympus-orf"},
    {".pef", "image/x-pentax-pef"},
    {".ppm", "image/x-portable-pixmap"},
    {".raf", "image/x-fuji-raf"},
    {".raw", "image/x-panasonic-rw"},
    {".rdc", "image/x-tavrin-rdc"},
    {".srf", "image/x-sony-srf"},
    {".tif", "image/tiff"},
    {".tiff", "image/tiff"},
    {".thm", "image/x-tavrin-thm"},
    {".trashed", "application/x-tavrin-trashed"},
    {".x3f", "image/x-sigma-x3f"},
    {".cr3", "image/x-canon-cr3"},
    {".rw2", "image/x-panasonic-rw2"},
    {".rwl", "image/x-tavrin-rwl"},
    {".arw", "image/x-sony-arw"},
    {".sr2", "image/x-sony-sr2"},
    {".srw", "image/x-tavrin-srw"},
    {".nrw", "image/x-nikon-nrw"},
    {".3fr", "image/x-tavrin-3fr"},
    {".iiq", "image/x-tavrin-iiq"},
};
static_assert(std::size(kMimeTypes) == kSupportedExtensions.size());

}  // namespace

std::string_view mimeTypeOf(std::string_view path) {
    const std::string_view extension = extensionOf(path);
    const auto* row = std::find_if(std::begin(kMimeTypes), std::end(kMimeTypes), [&](auto& m) {
        return ascii::equalsIgnoreCase(m.extension, extension);
    });
    return row == std::end(kMimeTypes) ? "application/octet-stream" : row->type;
}

}  // namespace tavrin::host
