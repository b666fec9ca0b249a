#include "platform/com/wide_text.hpp"

namespace tavrin::com {

std::u16string toWide(std::string_view text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::uint32_t cp = 0xFFFD;
        std::size_t n = 1;
        if (c < 0x80) {
            cp = c;
        } else if ((c >> 5) == 6 && i + 1 < text.size()) {
            cp = (c & 0x1Fu) << 6 | (text[i + 1] & 0x3F);
            n = 2;
        } else if ((c >> 4) == 14 && i + 2 < text.size()) {
            cp = (c & 0x0Fu) << 12 | (text[i + 1] & 0x3F) << 6 | (text[i + 2] & 0x3F);
            n = 3;
        } else if ((c >> 3) == 30 && i + 3 < text.size()) {
            cp = (c & 0x07u) << 18 | (text[i + 1] & 0x3F) << 12 | (text[i + 2] & 0x3F) << 6 |
                 (text[i + 3] & 0x3F);
            n = 4;
        }
        i += n;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
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

}  // namespace tavrin::com
