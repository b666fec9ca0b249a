#pragma once
// The string table: every user-visible text by its numeric id (German, UTF-8).

#include <cstdarg>
#include <optional>
#include <string>
#include <string_view>

namespace tavrin::strings {

// The text of id, or nothing when the table has no such id.
std::optional<std::string_view> load(unsigned id);

// The text of id, or an empty text.
std::string_view get(unsigned id);

// The text of id used as a printf format with the arguments given (the table's formats are
// printf formats: "%s", "%d", "%.4g"...). An unknown id gives an empty text.
std::string format(unsigned id, ...);
std::string vformat(unsigned id, std::va_list args);

}  // namespace tavrin::strings
