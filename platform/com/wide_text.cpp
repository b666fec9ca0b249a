#include "platform/com/wide_text.hpp"

#include <array>

namespace tavrin::com {
namespace {

// Windows-1252 at 0x80..0x9F; its five unassigned codes stay the C1 controls of the same value.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t windows1252(unsigned char c) {
    return c >= 0x80 && c < 0xA0 ? kWindows1252High[c - 0x80] : c;
}

bool continuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// The code point of the valid UTF-8 sequence at the start of text and its length; length 0 when
// none starts there (a stray continuation byte, an overlong form, a surrogate, a cut sequence).
struct Decoded {
    char32_t code;
    std::size_t length;
};
Decoded decodeUtf8(std::string_view text) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char c = at(0);
    if (c < 0x80) return {c, 1};
    std::size_t length = 0;
    char32_t code = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2, code = c & 0x1Fu;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3, code = c & 0x0Fu;
        if (c == 0xE0) low = 0xA0;
        if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4, code = c & 0x07u;
        if (c == 0xF0) low = 0x90;
        if (c == 0xF4) high = 0x8F;
    } else {
        return {0, 0};
    }
    if (text.size() < length || at(1) < low || at(1) > high) return {0, 0};
    for (std::size_t i = 1; i < length; ++i) {
        if (!continuation(at(i))) return {0, 0};
        code = code << 6 | (at(i) & 0x3Fu);
    }
    return {code, length};
}

}  // namespace

std::u16string toWide(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const auto [code, length] = decodeUtf8(text);
        if (length == 0) {
            out += windows1252(static_cast<unsigned char>(text[0]));
            text.remove_prefix(1);
            continue;
        }
        if (code >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        text.remove_prefix(length);
    }
    return out;
}

std::string fromWide(const WCHAR* text) {
    std::string out;
    for (; text && *text; ++text) {
        std::uint32_t cp = *text;
        if (cp >= 0xD800 && cp < 0xDC00 && text[1] >= 0xDC00 && text[1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[1] - 0xDC00);
            ++text;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | cp >> 6);
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | cp >> 12);
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | cp >> 18);
            out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

std::string toUtf8(std::string_view text) {
    return fromWide(toWide(text).c_str());
}

}  // namespace tavrin::com
