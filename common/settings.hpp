#pragma once
// The settings all deliverables share, read from the registry anew on every call.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tavrin {

// The product key under HKEY_CURRENT_USER; subkeys are appended directly (".CR2", "Viewer").
inline constexpr std::string_view kProductKey = "Software\\Tavrin Software\\Tavrin Plus\\";

// The longest texts the readers take, in bytes with the terminator.
inline constexpr std::size_t kMaxSettingText = 260;
inline constexpr std::size_t kMaxClassName = 255;

// HKCU product key + subkey, valueName as a 32-bit value; defaultValue when the key or the
// value is missing or is not a 32-bit value.
std::uint32_t getUserSetting(std::string_view subkey, std::string_view valueName,
                             std::uint32_t defaultValue);

// A text value of at most kMaxSettingText bytes; defaultValue when missing, not a text or longer.
std::string getUserStringSetting(std::string_view subkey, std::string_view valueName,
                                 std::string_view defaultValue);

// True when HKCR\extension's default value equals progId, ignoring case.
bool isExtensionOwnedBy(std::string_view extension, std::string_view progId);

// "BrightnessIndex" of "Viewer" read as a decimal text; non-numeric text gives 0.
int getBrightnessIndex();

// Writers of the applet and the viewer: create the key when missing and set the value.
bool setUserSetting(std::string_view subkey, std::string_view valueName, std::uint32_t value);
bool setUserStringSetting(std::string_view subkey, std::string_view valueName,
                          std::string_view value);
// Sets a text value to what change makes of the one before (empty when there is none or it is
// no text of at most kMaxSettingText bytes), read and written under the store's lock: another
// process's change in between is not lost.
bool updateUserStringSetting(std::string_view subkey, std::string_view valueName,
                             const std::function<std::string(std::string_view before)>& change);

// Decimal text to integer as the C runtime's atoi reads it: leading blanks, a sign, digits up to
// the first other character; no digits gives 0. Out-of-range values saturate.
int parseDecimal(std::string_view text);

}  // namespace tavrin
