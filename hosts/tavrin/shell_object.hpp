#pragma once
// The shell object as the commands reach it: through its registration and its COM interfaces.

#include <string>

#include "hosts/tavrin/commands.hpp"
#include "platform/com/shell_interfaces.hpp"

namespace tavrin::host {

inline constexpr const char* kProgId = "Tavrin.RawImageExtractor";

// An HRESULT as messages show it: "0x80004005".
std::string hex(com::HRESULT hr);

// A new object of the shell class; on failure one line on io.err says why.
com::HRESULT createShellObject(com::ComPtr<com::IPersistFile>& object, Io io);

}  // namespace tavrin::host
