#include "common/strings.hpp"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <iterator>

namespace tavrin::strings {
namespace {

using detail::Entry;
using detail::kTable;

static_assert(std::is_sorted(std::begin(kTable), std::end(kTable),
                             [](const Entry& a, const Entry& b) { return a.id <= b.id; }),
              "the string table must be in strictly ascending id order");

}  // namespace

std::optional<std::string_view> load(unsigned id) {
    const auto it = std::lower_bound(std::begin(kTable), std::end(kTable), id,
                                     [](const Entry& e, unsigned key) { return e.id < key; });
    if (it == std::end(kTable) || it->id != id) return std::nullopt;
    return it->text;
}

std::string_view get(unsigned id) {
    return load(id).value_or(std::string_view{});
}

// The formats come from our own table, never from a file; the arguments are the callers'.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
std::string detail::formatChecked(unsigned id, ...) {
    const auto pattern = load(id);
    if (!pattern) return {};
    const std::string fmt(*pattern);
    std::va_list args, again;
    va_start(args, id);
    va_copy(again, args);
    const int n = std::vsnprintf(nullptr, 0, fmt.c_str(), args);
    std::string out(static_cast<std::size_t>(std::max(n, 0)), '\0');
    std::vsnprintf(out.data(), out.size() + 1, fmt.c_str(), again);
    va_end(again);
    va_end(args);
    return out;
}
#pragma GCC diagnostic pop

}  // namespace tavrin::strings
