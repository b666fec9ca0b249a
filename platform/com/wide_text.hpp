#pragma once
// UTF-16 texts at COM calls and the 8-bit (UTF-8) texts inside the system.

#include <string>
#include <string_view>

#include "platform/com/types.hpp"

namespace tavrin::com {

std::u16string toWide(std::string_view text);
// Up to the first zero character.
std::string fromWide(const WCHAR* text);

}  // namespace tavrin::com
