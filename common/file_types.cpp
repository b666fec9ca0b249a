#include "common/file_types.hpp"

#include "platform/system/ascii.hpp"

namespace tavrin {

std::string_view extensionOf(std::string_view path) {
    const auto slash = path.find_last_of('/');
    const auto name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view{} : name.substr(dot);
}

bool isSupportedExtension(std::string_view extension) {
    for (const auto entry : kSupportedExtensions) {
        if (ascii::equalsIgnoreCase(entry, extension)) return true;
    }
    return false;
}

std::optional<std::string_view> supportedExtensionOf(std::string_view path) {
    for (const auto entry : kSupportedExtensions) {
        if (ascii::endsWithIgnoreCase(path, entry)) return entry;
    }
    return std::nullopt;
}

bool isTrashed(std::string_view path) {
    return ascii::equalsIgnoreCase(extensionOf(path), kTrashedExtension);
}

std::string_view innerExtension(std::string_view path) {
    if (!isTrashed(path)) return extensionOf(path);
    return extensionOf(path.substr(0, path.size() - kTrashedExtension.size()));
}

}  // namespace tavrin
