#pragma once
// The nine detail columns: their descriptions and each file's values.

#include <array>
#include <string>

#include "platform/com/shell_interfaces.hpp"

namespace tavrin::shell {

// The format id of the columns (property ids 0 to 8).
inline constexpr com::GUID FMTID_TavrinColumns{
    0x3C6E1A94, 0x5B7D, 0x4E21, {0x8F, 0x3A, 0x61, 0x9C, 0x2D, 0x70, 0x4B, 0x15}};
inline constexpr com::DWORD kColumnCount = 9;

com::HRESULT describeColumn(com::DWORD index, com::SHCOLUMNINFO* info);

// The column's text for a file, or nothing (S_FALSE) for a foreign column, a folder, an offline
// file or an unsupported type.
com::HRESULT columnValue(const com::SHCOLUMNID* column, const com::SHCOLUMNDATA* item,
                         com::VARIANT* value);

}  // namespace tavrin::shell
