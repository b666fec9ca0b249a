#pragma once
// Message boxes: shown by the program's own handler when it has a user interface (a Qt host
// installs one), else written as one line to standard error.

#include <cstdint>
#include <functional>
#include <string_view>

namespace tavrin::ui {

using UINT = std::uint32_t;

inline constexpr UINT MB_OK = 0x0000;
inline constexpr UINT MB_ICONHAND = 0x0010;
inline constexpr int IDOK = 1;

using MessageBoxHandler =
    std::function<int(std::string_view text, std::string_view caption, UINT type)>;

// Replaces the handler (an empty one restores the standard-error line); returns the old one.
MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler);

int MessageBoxA(void* owner, const char* text, const char* caption, UINT type);

}  // namespace tavrin::ui
