#pragma once
// The string table: every user-visible text by its numeric id (German, UTF-8).

#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include "common/string_table.hpp"

namespace tavrin::strings {

// The text of id, or nothing when the table has no such id.
std::optional<std::string_view> load(unsigned id);

// The text of id, or an empty text.
std::string_view get(unsigned id);

namespace detail {

// The argument types the table's formats take, one letter each: i int, h short, l long,
// u unsigned, H unsigned short, L unsigned long, d double, s text.
template <typename T>
inline constexpr char kArgumentCode = '\0';
template <>
inline constexpr char kArgumentCode<int> = 'i';
template <>
inline constexpr char kArgumentCode<short> = 'h';
template <>
inline constexpr char kArgumentCode<long> = 'l';
template <>
inline constexpr char kArgumentCode<unsigned> = 'u';
template <>
inline constexpr char kArgumentCode<unsigned short> = 'H';
template <>
inline constexpr char kArgumentCode<unsigned long> = 'L';
template <>
inline constexpr char kArgumentCode<double> = 'd';
template <>
inline constexpr char kArgumentCode<const char*> = 's';

// Whether a printf format asks for exactly the arguments of the codes, in order. Conversions
// the table has no use for (%c, %p, %n, %lld...) match nothing.
constexpr bool formatTakes(std::string_view format, std::string_view codes) {
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') continue;
        if (++i < format.size() && format[i] == '%') continue;
        while (i < format.size() &&
               std::string_view("-+ #0123456789.").find(format[i]) != std::string_view::npos)
            ++i;
        int longs = 0, shorts = 0;
        for (; i < format.size() && (format[i] == 'l' || format[i] == 'h'); ++i)
            (format[i] == 'l' ? longs : shorts) += 1;
        if (i == format.size() || longs > 1 || shorts > 1 || (longs && shorts)) return false;
        char code = '?';
        switch (format[i]) {
            case 'd':
            case 'i':
                code = longs ? 'l' : shorts ? 'h' : 'i';
                break;
            case 'u':
            case 'x':
            case 'X':
                code = longs ? 'L' : shorts ? 'H' : 'u';
                break;
            case 'f':
            case 'g':
            case 'e':
                code = longs || shorts ? '?' : 'd';
                break;
            case 's':
                code = longs || shorts ? '?' : 's';
                break;
        }
        if (next == codes.size() || codes[next++] != code) return false;
    }
    return next == codes.size();
}

}  // namespace detail

// A string id whose text is a printf format taking exactly Args. Made at compile time: an id
// that is not in the table, or whose format asks for other arguments, does not compile.
template <typename... Args>
class FormatId {
  public:
    consteval FormatId(unsigned id) : id_(id) {
        static_assert(((detail::kArgumentCode<Args> != '\0') && ...),
                      "not an argument a string-table format takes");
        const char codes[] = {detail::kArgumentCode<Args>..., '\0'};
        const auto takesArgs = [&](std::string_view text) {
            return detail::formatTakes(text, std::string_view(codes, sizeof...(Args)));
        };
        if (!detail::textPasses(id, takesArgs))
            throw "the string's format does not take these arguments";
    }
    constexpr unsigned id() const { return id_; }

  private:
    unsigned id_;
};

namespace detail {
// The text of id used as a printf format; only FormatId, which checked the arguments when the
// program was compiled, calls it. An unknown id gives an empty text.
std::string formatChecked(unsigned id, ...);
}  // namespace detail

// The text of id filled with the arguments, converted to the types the format takes.
template <typename... Args>
std::string format(FormatId<Args...> id, std::type_identity_t<Args>... args) {
    return detail::formatChecked(id.id(), args...);
}

}  // namespace tavrin::strings
