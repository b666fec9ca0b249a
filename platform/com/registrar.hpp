#pragma once
// The registrar: applies a server's registry scripts (the script format of the Windows
// registrar: root blocks of keys with NoRemove / ForceRemove / Delete, default values,
// "val" values of type s or d, %NAME% replacements) to our registry, and removes them again.

#include <map>
#include <string>
#include <string_view>

#include "platform/com/types.hpp"

namespace tavrin::com {

class Registrar {
  public:
    void addReplacement(std::string_view name, std::string value);

    // Each root's changes are written in one atomic step. A script that does not parse changes
    // nothing and gives E_INVALIDARG; a registry that cannot be written gives E_ACCESSDENIED.
    HRESULT registerScript(std::string_view script) const;
    HRESULT unregisterScript(std::string_view script) const;

  private:
    HRESULT apply(std::string_view script, bool install) const;
    std::map<std::string, std::string, std::less<>> replacements_;
};

}  // namespace tavrin::com
