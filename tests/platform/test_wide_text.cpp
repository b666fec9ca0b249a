// The 8-bit texts of the system and the UTF-16 texts of COM calls.

#include <gtest/gtest.h>

#include "platform/com/wide_text.hpp"

namespace tavrin::com {
namespace {

TEST(WideText, keepsUtf8AndTakesOtherBytesAsWindows1252) {
    const struct {
        std::string_view in;
        std::u16string_view out;
    } cases[] = {
        {"Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xB7", u"Café € \U0001F4F7"},
        {"Mod\xE9\nTyp: JPG", u"Modé\nTyp: JPG"},  // a Latin-1 byte keeps what follows
        {"M\xFCller", u"Müller"},
        {"\x80\x85\x8A\x9F\x81\x8D", u"€…ŠŸ\u0081\u008D"},
        {"a\xE2\x82", u"aâ‚"},               // a sequence cut by the end
        {"\xE2\x82x", u"â‚x"},               // cut by a byte that does not continue it
        {"\xC0\xAF\xE0\x80\xAF", u"À¯à€¯"},  // overlong forms
        {"\xED\xA0\x80", u"í\u00A0€"},       // a surrogate
        {"\xF4\x90\x80\x80", u"ô\u0090€€"},  // beyond U+10FFFF
        {"\xBF\xC3", u"¿Ã"},                 // a stray continuation, a lone lead
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toWide(c.in), c.out) << c.in;
        EXPECT_EQ(toWide(fromWide(toWide(c.in).c_str())), c.out) << c.in;
    }
}

TEST(WideText, toUtf8GivesValidUtf8) {
    EXPECT_EQ(toUtf8("Mod\xE9 \xC3\xA9"), "Mod\xC3\xA9 \xC3\xA9");
    EXPECT_EQ(toUtf8("\x80"), "\xE2\x82\xAC");
    EXPECT_EQ(toUtf8(""), "");
    EXPECT_EQ(fromWide(u"Weißabgleich"),
              "Wei\xC3\x9F"
              "abgleich");
}

}  // namespace
}  // namespace tavrin::com
