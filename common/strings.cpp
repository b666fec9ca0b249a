#include "common/strings.hpp"

#include <algorithm>
#include <iterator>

namespace tavrin::strings {
namespace {

struct Entry {
    unsigned id;
    std::string_view text;
};

constexpr Entry kTable[] = {
#include "resources/strings_de.inc"
};

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

}  // namespace tavrin::strings
