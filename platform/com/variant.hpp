#pragma once
// VARIANT and BSTR as far as the shell's column values need them.

#include <cstdint>

#include "platform/com/types.hpp"

namespace tavrin::com {

using BSTR = WCHAR*;
using VARTYPE = std::uint16_t;

inline constexpr VARTYPE VT_EMPTY = 0;
inline constexpr VARTYPE VT_BSTR = 8;
inline constexpr VARTYPE VT_LPSTR = 30;

struct VARIANT {
    VARTYPE vt = VT_EMPTY;
    std::uint16_t reserved1 = 0, reserved2 = 0, reserved3 = 0;
    BSTR bstrVal = nullptr;
};

// A new string holding text (a copy), or nothing when memory runs out; freed by SysFreeString.
BSTR SysAllocString(const WCHAR* text);
void SysFreeString(BSTR text);
// Frees what the variant holds and empties it.
HRESULT VariantClear(VARIANT* v);

}  // namespace tavrin::com
