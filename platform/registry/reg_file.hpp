#pragma once
// The registry-export text format ("REGEDIT4") that persists one root's hive.

#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/hive.hpp"

namespace tavrin::registry {

struct ParseResult {
    Key root;
    std::vector<std::string> problems;  // "line N: ..." for each line that was skipped
};

// Reads what parses and skips the rest, line by line. rootName is the section prefix the
// file's keys live under, e.g. "HKEY_CURRENT_USER".
ParseResult parseRegFile(std::string_view text, std::string_view rootName);

std::string formatRegFile(const Key& root, std::string_view rootName);

}  // namespace tavrin::registry
