#include "platform/com/variant.hpp"

#include <cstring>
#include <new>
#include <string>

namespace tavrin::com {

BSTR SysAllocString(const WCHAR* text) {
    const std::size_t n = text ? std::char_traits<WCHAR>::length(text) : 0;
    auto* copy = new (std::nothrow) WCHAR[n + 1];
    if (!copy) return nullptr;
    if (n) std::memcpy(copy, text, n * sizeof(WCHAR));
    copy[n] = 0;
    return copy;
}

void SysFreeString(BSTR text) {
    delete[] text;
}

HRESULT VariantClear(VARIANT* v) {
    if (!v) return E_INVALIDARG;
    if (v->vt == VT_BSTR) SysFreeString(v->bstrVal);
    *v = VARIANT{};
    return S_OK;
}

}  // namespace tavrin::com
