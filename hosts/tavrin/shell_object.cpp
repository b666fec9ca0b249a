#include "hosts/tavrin/shell_object.hpp"

#include <cstdio>
#include <ostream>

#include "platform/com/activation.hpp"

namespace tavrin::host {

using namespace com;

std::string hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

HRESULT createShellObject(ComPtr<IPersistFile>& object, Io io) {
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(kProgId, &clsid);
    if (FAILED(hr)) {
        io.err << "tavrin: the shell object is not registered (run tavrin register)\n";
        return hr;
    }
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistFile, object.out());
    if (FAILED(hr)) io.err << "tavrin: cannot create the shell object (" << hex(hr) << ")\n";
    return hr;
}

}  // namespace tavrin::host
