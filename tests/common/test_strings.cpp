#include <gtest/gtest.h>

#include "common/strings.hpp"
#include "resources/string_ids.hpp"

namespace tavrin::strings {
namespace {

TEST(Strings, loadsTheGermanTextsById) {
    EXPECT_EQ(load(400), "Aussortieren");
    EXPECT_EQ(load(401), "Zurückholen");
    EXPECT_EQ(load(511), "Nicht genügend Speicher in %s\n");
    EXPECT_EQ(load(1292), "Brennweite: %s \n");
    EXPECT_EQ(load(9040), "Tavrin Fehler");
    EXPECT_EQ(load(10006), " ");
    EXPECT_EQ(load(32775), "Nächstes Bild\nNächstes Bild");
    EXPECT_EQ(get(9030).substr(0, 10), "Kann Datei");
}

TEST(Strings, unknownIdsGiveNothing) {
    EXPECT_FALSE(load(0));
    EXPECT_FALSE(load(616));  // the light-source gap
    EXPECT_FALSE(load(99999));
    EXPECT_EQ(get(616), "");
}

TEST(Strings, everyTextIsValidUtf8) {
    for (unsigned id = 0; id < 70000; ++id) {
        const auto text = load(id);
        if (!text) continue;
        for (std::size_t i = 0; i < text->size();) {
            const auto c = static_cast<unsigned char>((*text)[i]);
            const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 0;
            ASSERT_NE(n, 0u) << id;
            ASSERT_LE(i + n, text->size()) << id;
            for (std::size_t k = 1; k < n; ++k) {
                ASSERT_EQ(static_cast<unsigned char>((*text)[i + k]) >> 6, 2u) << id;
            }
            i += n;
        }
    }
}

// The argument codes: i int, h short, u unsigned, H unsigned short, L unsigned long, d double,
// s text.
TEST(Strings, formatsAskForTheArgumentsTheirConversionsTake) {
    struct Case {
        std::string_view format, codes;
        bool takes;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"Größe: %d x %d\n", "ii", true},
             {"Größe: %d x %d\n", "i", false},
             {"Größe: %d x %d\n", "iii", false},
             {"Kameramodell: %s\n", "s", true},
             {"Kameramodell: %s\n", "i", false},
             {"Größe: %.2g MB\n", "d", true},
             {"untere fokussierte Distanz: %8.3f (m)\n", "d", true},
             {"Bulb-Dauer: %lu (Sek.)\n", "L", true},
             {"Bulb-Dauer: %lu (Sek.)\n", "u", false},
             {"Unterer Zoombereich: %hu (mm)\n", "H", true},
             {"Kontrast: %hd\n", "h", true},
             {"100%% von %s", "s", true},
             {"kein Argument", "", true},
             {"abgeschnitten %", "", false},
             {"%n", "i", false},
             {"%lld", "L", false},
         }) {
        EXPECT_EQ(detail::formatTakes(c.format, c.codes), c.takes) << c.format << " / " << c.codes;
    }
}

TEST(Strings, namedFormatsFillTheirTexts) {
    EXPECT_EQ(format(kSizeLine, 3000, 2000), "Größe: 3000 x 2000\n");
    EXPECT_EQ(format(kFileSizeLine, 1.5), "Größe: 1.5 MB\n");
    EXPECT_EQ(format(kModelLine, "D1"), "Kameramodell: D1\n");
    EXPECT_EQ(kFolderUnreadable.id(), 10020u);
}

}  // namespace
}  // namespace tavrin::strings
