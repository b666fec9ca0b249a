#pragma once
// The German string table as data, visible at compile time so that a format's arguments can be
// checked where the text is used (common/strings.hpp).

#include <string_view>

namespace tavrin::strings::detail {

struct Entry {
    unsigned id;
    std::string_view text;
};

inline constexpr Entry kTable[] = {
#include "resources/strings_de.inc"
};

// Whether the table has the id and its text passes the test.
constexpr bool textPasses(unsigned id, auto test) {
    for (const Entry& e : kTable) {
        if (e.id == id) return test(e.text);
    }
    return false;
}

}  // namespace tavrin::strings::detail
