#pragma once
// The desktop's thumbnail cache, as every file manager reads it: under $XDG_CACHE_HOME/thumbnails
// (else ~/.cache/thumbnails) a folder per size, each thumbnail a PNG named by the MD5 of the
// file's URI and carrying that URI and the file's modification time in its text chunks; a
// file that gives none has a marker in fail/<program>-<version>/.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/imaging/bitmap.hpp"

namespace tavrin::host {

struct CacheSize {
    std::string_view name;  // the folder
    int pixels;             // the longest side
};
inline constexpr CacheSize kCacheSizes[] = {
    {"normal", 128}, {"large", 256}, {"x-large", 512}, {"xx-large", 1024}};

// A file's "file://" URI as GLib writes it: the full path with every byte percent-encoded
// (upper-case hexadecimal) except letters, digits and -._~!$&'()*+,=:@/.
std::string fileUri(std::string_view fullPath);

// The MIME type file managers give the file, by its extension.
std::string_view mimeTypeOf(std::string_view path);

// What a cached thumbnail says of its file, read before the thumbnail is made.
struct FileStamp {
    std::string uri;
    std::int64_t mtime = 0;  // seconds since 1970
    std::uint64_t size = 0;
    std::string_view mime;
};

// The file's stamp; nothing (errno set) when it cannot be looked at.
std::optional<FileStamp> stampOf(const std::string& fullPath);

class ThumbnailCache {
  public:
    explicit ThumbnailCache(std::filesystem::path root) : root_(std::move(root)) {}
    // $XDG_CACHE_HOME/thumbnails, else $HOME/.cache/thumbnails.
    static std::filesystem::path defaultRoot();

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path thumbnailPath(const CacheSize& size, const FileStamp& file) const;
    std::filesystem::path failurePath(const FileStamp& file) const;

    // Whether the PNG at path is whole and names the file's URI and modification time.
    static bool isCurrent(const std::filesystem::path& path, const FileStamp& file);

    // Writes the thumbnail (or, for a failure, a 1 x 1 marker) through a temporary file of
    // permissions 0600 in the same folder, renamed into place. 0 on success, else the errno.
    int store(const std::filesystem::path& path, const imaging::Bitmap& picture,
              const FileStamp& file) const;
    int storeFailure(const FileStamp& file) const;
    void clearFailure(const FileStamp& file) const;

  private:
    std::filesystem::path root_;
};

}  // namespace tavrin::host
