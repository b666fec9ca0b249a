#include "hosts/tavrin/thumbnail_cache.hpp"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/imaging/png_texts.hpp"
#include "platform/imaging/png_writer.hpp"
#include "platform/system/files.hpp"
#include "platform/system/md5.hpp"

#ifndef TAVRIN_VERSION
#define TAVRIN_VERSION "0"
#endif

namespace tavrin::host {
namespace {

constexpr unsigned kPrivate = 0600;

// The bytes a path keeps as they are in a URI.
bool keptInUri(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return std::string_view("-._~!$&'()*+,=:@/").find(static_cast<char>(c)) !=
           std::string_view::npos;
}

std::string_view textOf(const std::vector<imaging::PngText>& texts, std::string_view key) {
    for (const auto& t : texts) {
        if (t.key == key) return t.value;
    }
    return {};
}

}  // namespace

std::string fileUri(std::string_view fullPath) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (const char ch : fullPath) {
        const auto c = static_cast<unsigned char>(ch);
        if (keptInUri(c)) {
            uri += ch;
        } else {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 15];
        }
    }
    return uri;
}

std::optional<FileStamp> stampOf(const std::string& fullPath) {
    struct stat st {};
    if (::stat(fullPath.c_str(), &st) != 0) return std::nullopt;
    return FileStamp{fileUri(fullPath), static_cast<std::int64_t>(st.st_mtime),
                     static_cast<std::uint64_t>(st.st_size), mimeTypeOf(fullPath)};
}

std::filesystem::path ThumbnailCache::defaultRoot() {
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache == '/')
        return std::filesystem::path(cache) / "thumbnails";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/") / ".cache" / "thumbnails";
}

std::filesystem::path ThumbnailCache::thumbnailPath(const CacheSize& size,
                                                    const FileStamp& file) const {
    return root_ / size.name / (md5::hexDigest(file.uri) + ".png");
}

std::filesystem::path ThumbnailCache::failurePath(const FileStamp& file) const {
    return root_ / "fail" / ("tavrin-" TAVRIN_VERSION) / (md5::hexDigest(file.uri) + ".png");
}

bool ThumbnailCache::isCurrent(const std::filesystem::path& path, const FileStamp& file) {
    const auto texts = imaging::readPngTexts(path);
    return texts && textOf(*texts, "Thumb::URI") == file.uri &&
           textOf(*texts, "Thumb::MTime") == std::to_string(file.mtime);
}

int ThumbnailCache::store(const std::filesystem::path& path, const imaging::Bitmap& picture,
                          const FileStamp& file) const {
    const imaging::PngText texts[] = {
        {"Thumb::URI", file.uri},
        {"Thumb::MTime", std::to_string(file.mtime)},
        {"Thumb::Size", std::to_string(file.size)},
        {"Thumb::Mimetype", std::string(file.mime)},
        {"Software", "Tavrin " TAVRIN_VERSION},
    };
    const auto png = imaging::encodePng(picture, imaging::PngUse::Keep, texts);
    if (!png) return ENOMEM;
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    if (ec) return ec.value();
    // A thumbnail is made again when it is lost: no sync, the rename keeps readers from ever
    // seeing half a file.
    errno = 0;
    auto pending = files::PendingFile::write(
        path, std::string_view(reinterpret_cast<const char*>(png->data()), png->size()),
        files::Durability::Cached, kPrivate);
    if (!pending || !pending->commit()) return errno ? errno : EIO;
    return 0;
}

int ThumbnailCache::storeFailure(const FileStamp& file) const {
    const auto marker = imaging::Bitmap::create(1, 1);
    if (!marker) return ENOMEM;
    marker->clear(0xFFFFFFFF);
    return store(failurePath(file), *marker, file);
}

void ThumbnailCache::clearFailure(const FileStamp& file) const {
    std::error_code ec;
    std::filesystem::remove(failurePath(file), ec);
}

}  // namespace tavrin::host
