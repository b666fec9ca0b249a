#pragma once
// The shell object as the commands reach it: through its registration and its COM interfaces.

#include <string>

#include "hosts/tavrin/commands.hpp"
#include "platform/com/shell_interfaces.hpp"
#include "platform/com/wide_text.hpp"
#include "platform/system/paths.hpp"

namespace tavrin::host {

inline constexpr const char* kProgId = "Tavrin.RawImageExtractor";

// An HRESULT as messages show it: "0x80004005".
std::string hex(com::HRESULT hr);

// A new object of the shell class; on failure one line on io.err says why.
com::HRESULT createShellObject(com::ComPtr<com::IPersistFile>& object, Io io);

// A new object of the shell class, asked for the interface T, with the file loaded.
template <typename T>
com::HRESULT createFor(const std::string& file, com::ComPtr<T>& out, Io io) {
    com::ComPtr<com::IPersistFile> persist;
    const com::HRESULT hr = createShellObject(persist, io);
    if (com::FAILED(hr)) return hr;
    persist->Load(com::toWide(paths::fullPath(file)).c_str(), 0);
    return persist->QueryInterface(T::kIid, out.out());
}

}  // namespace tavrin::host
