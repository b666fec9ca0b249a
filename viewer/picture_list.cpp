#include "viewer/picture_list.hpp"

#include <algorithm>
#include <system_error>

#include "common/file_types.hpp"
#include "common/log.hpp"
#include "common/settings.hpp"
#include "platform/system/ascii.hpp"

namespace tavrin::viewer {

namespace {

constexpr std::string_view kImageClass = "TavrinImage";

bool nameLess(const std::string& a, const std::string& b) {
    const auto folded = [](char c) { return ascii::toUpper(c); };
    const bool less =
        std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                     [&](char x, char y) { return folded(x) < folded(y); });
    if (less || !ascii::equalsIgnoreCase(a, b)) return less;
    return a < b;
}

}  // namespace

bool PictureList::acceptFile(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return false;
    const std::string_view extension = name.substr(dot);
    if (!isSupportedExtension(extension)) {
        logLine("Viewer can't recognize the file support");
        return false;
    }
    logLine("Viewer recognized the raw file support");
    if (isExtensionOwnedBy(extension, kImageClass)) {
        logLine("Viewer recognized the raw file associated with Tavrin");
        return true;
    }
    logLine("Raw file is not associated with Tavrin");
    return false;
}

void PictureList::add(const std::string& name) {
    logLine("Viewer found a physical file: " + name);
    if (!acceptFile(name)) return;
    names_.push_back(name);
    logLine("File added to the list: " + name);
}

bool PictureList::listFolder(const std::filesystem::path& folder) {
    folder_ = folder;
    names_.clear();
    std::vector<std::string> found;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    if (ec) return false;
    for (std::filesystem::directory_iterator end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError)) continue;
        found.push_back(it->path().filename().string());
    }
    std::sort(found.begin(), found.end(), nameLess);
    for (const std::string& name : found)
        add(name);
    return true;
}

void PictureList::listFiles(const std::filesystem::path& folder,
                            const std::vector<std::string>& names) {
    folder_ = folder;
    names_.clear();
    for (const std::string& name : names)
        add(name);
}

int PictureList::indexOf(std::string_view name) const {
    const auto it = std::find_if(names_.begin(), names_.end(), [&](const std::string& entry) {
        return ascii::equalsIgnoreCase(entry, name);
    });
    return it == names_.end() ? -1 : static_cast<int>(it - names_.begin());
}

int PictureList::wrap(int index) const {
    const int n = count();
    const int wrapped = index % n;
    return wrapped < 0 ? wrapped + n : wrapped;
}

void PictureList::remove(int index) {
    names_.erase(names_.begin() + index);
}

}  // namespace tavrin::viewer
