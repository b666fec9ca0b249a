#include "platform/system/paths.hpp"

#include <cstdlib>
#include <string>

namespace tavrin::paths {

std::filesystem::path nativePath(std::string_view text) {
    const bool drive = text.size() >= 3 &&
                       ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z')) &&
                       text[1] == ':' && (text[2] == '\\' || text[2] == '/');
    if (!drive) return std::filesystem::path(text);
    const char* home = std::getenv("HOME");
    std::string rest(text.substr(3));
    for (char& c : rest) {
        if (c == '\\') c = '/';
    }
    return std::filesystem::path(home && *home ? home : "/") / rest;
}

std::string fullPath(std::string_view path) {
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(std::filesystem::path(path), ec);
    return ec ? std::string(path) : full.lexically_normal().string();
}

}  // namespace tavrin::paths
