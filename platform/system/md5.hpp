#pragma once
// MD5 digests (RFC 1321): the names of the desktop's thumbnail cache are the MD5 of a URI.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tavrin::md5 {

std::array<std::uint8_t, 16> digest(std::string_view data);

// The digest as 32 lower-case hexadecimal digits.
std::string hexDigest(std::string_view data);

}  // namespace tavrin::md5
