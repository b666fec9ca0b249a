#pragma once
// The files tavrin cache works on: the files named, and the supported files inside the folders
// named, however deep; each folder once, whatever links lead to it again.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin::host {

struct CacheFiles {
    std::vector<std::string> files;  // full paths, in name order per folder
    int problems = 0;                // inputs and folders that could not be read
};

// Problems are reported through report, one line each (without "tavrin: " and line feed).
CacheFiles collectCacheFiles(const std::vector<std::string>& inputs,
                             const std::function<void(std::string_view)>& report);

}  // namespace tavrin::host
