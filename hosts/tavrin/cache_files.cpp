#include "hosts/tavrin/cache_files.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <utility>

#include "common/file_types.hpp"
#include "platform/system/paths.hpp"

namespace tavrin::host {
namespace {

class Collector {
  public:
    explicit Collector(const std::function<void(std::string_view)>& report) : report_(report) {}

    void input(const std::string& path) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            problem("cannot read " + path + ": " + std::strerror(errno));
        } else if (S_ISDIR(st.st_mode)) {
            folder(path, st);
        } else if (!S_ISREG(st.st_mode)) {
            problem("cannot read " + path + ": not a file");
        } else if (!isSupportedExtension(extensionOf(path))) {
            problem("cannot read " + path + ": not a type Tavrin reads");
        } else {
            result_.files.push_back(path);
        }
    }

    CacheFiles take() { return std::move(result_); }

  private:
    void problem(const std::string& line) {
        report_(line);
        ++result_.problems;
    }

    void folder(const std::string& path, const struct stat& st) {
        // A folder reached again through a link is not walked again: links that loop end here.
        if (!visited_.insert({st.st_dev, st.st_ino}).second) return;
        std::error_code ec;
        std::vector<std::string> names;
        for (std::filesystem::directory_iterator it(path, ec), end; !ec && it != end;
             it.increment(ec)) {
            names.push_back(it->path().filename().string());
        }
        if (ec) {
            problem("cannot read " + path + ": " + ec.message());
            return;
        }
        std::sort(names.begin(), names.end());
        const std::string prefix = path.ends_with('/') ? path : path + "/";
        for (const std::string& name : names) {
            const std::string entry = prefix + name;
            struct stat entrySt {};
            if (::stat(entry.c_str(), &entrySt) != 0) {
                // A dangling link is nothing to read; a link that loops or a file that cannot
                // be looked at is, when its type is one Tavrin reads.
                if (errno != ENOENT && isSupportedExtension(extensionOf(name)))
                    problem("cannot read " + entry + ": " + std::strerror(errno));
            } else if (S_ISDIR(entrySt.st_mode)) {
                folder(entry, entrySt);
            } else if (S_ISREG(entrySt.st_mode) && isSupportedExtension(extensionOf(name))) {
                result_.files.push_back(entry);
            }
        }
    }

    const std::function<void(std::string_view)>& report_;
    std::set<std::pair<dev_t, ino_t>> visited_;
    CacheFiles result_;
};

}  // namespace

CacheFiles collectCacheFiles(const std::vector<std::string>& inputs,
                             const std::function<void(std::string_view)>& report) {
    Collector collector(report);
    for (const std::string& input : inputs)
        collector.input(paths::fullPath(input));
    return collector.take();
}

}  // namespace tavrin::host
