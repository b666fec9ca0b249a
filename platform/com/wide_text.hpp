#pragma once
// UTF-16 texts at COM calls and the 8-bit texts inside the system. Those are UTF-8, but files
// bring texts in Windows-1252 (the designed system's ANSI code page) as well: every byte that
// is not part of a valid UTF-8 sequence is taken as its Windows-1252 character, and no byte
// after it is lost.

#include <string>
#include <string_view>

#include "platform/com/types.hpp"

namespace tavrin::com {

std::u16string toWide(std::string_view text);
// Up to the first zero character.
std::string fromWide(const WCHAR* text);
// An 8-bit text as valid UTF-8, for output that must be (a terminal, a UTF-8 toolkit).
std::string toUtf8(std::string_view text);

}  // namespace tavrin::com
