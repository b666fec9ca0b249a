#pragma once
// Movable global memory blocks: the currency of data objects and memory streams.

#include <cstddef>

namespace tavrin::com {

struct GlobalBlock;
using HGLOBAL = GlobalBlock*;

inline constexpr unsigned GMEM_MOVEABLE = 0x0002;
inline constexpr unsigned GMEM_ZEROINIT = 0x0040;
inline constexpr unsigned GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

// Nothing on failure (size too large, no memory).
HGLOBAL GlobalAlloc(unsigned flags, std::size_t size);
// Nothing for a null handle; every Lock needs its Unlock.
void* GlobalLock(HGLOBAL block);
bool GlobalUnlock(HGLOBAL block);  // true while further locks remain
std::size_t GlobalSize(HGLOBAL block);
HGLOBAL GlobalFree(HGLOBAL block);  // nothing on success

}  // namespace tavrin::com
