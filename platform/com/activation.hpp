#pragma once
// Creating objects of in-process servers found through HKEY_CLASSES_ROOT, and the task
// allocator the shell hands texts out with.

#include <cstddef>
#include <string_view>

#include "platform/com/unknown.hpp"

namespace tavrin::com {

inline constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;

// The exported entry every in-process server has.
using DllGetClassObjectFn = HRESULT (*)(REFCLSID clsid, REFIID iid, void** object);

// HKCR\CLSID\{clsid}\InprocServer32's default value names the module; it is loaded once and
// stays loaded. REGDB_E_CLASSNOTREG when the class is not registered, CO_E_DLLNOTFOUND when
// the module cannot be loaded or has no DllGetClassObject.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object);

// HKCR\progId\CLSID's default value; CO_E_CLASSSTRING when missing or unreadable.
HRESULT CLSIDFromProgID(std::string_view progId, CLSID* clsid);

void* CoTaskMemAlloc(std::size_t size);
void CoTaskMemFree(void* block);

// The shell's allocator (one per process; AddRef and Release keep no count that matters).
HRESULT SHGetMalloc(IMalloc** malloc);

}  // namespace tavrin::com
