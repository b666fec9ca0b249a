#pragma once
// Canon's codes in 1/32-EV steps and their texts.

#include <cstdint>
#include <optional>
#include <string_view>

namespace tavrin::shell {

struct CanonCode {
    std::int16_t code;
    std::string_view text;  // empty: the text is the string-table entry textId
    unsigned textId = 0;
};

std::optional<CanonCode> canonShutter(std::int16_t code);
std::optional<CanonCode> canonAperture(std::int16_t code);
std::optional<CanonCode> canonIso(std::int16_t code);
std::optional<CanonCode> canonEv(std::int16_t code);

// A code as EV; the fractions 12 and 20 stand for one and two thirds.
double canonEvValue(std::int16_t code);

}  // namespace tavrin::shell
