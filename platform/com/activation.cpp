#include "platform/com/activation.hpp"

#include <dlfcn.h>
#include <malloc.h>

#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

#include "platform/com/object.hpp"
#include "platform/registry/registry.hpp"

namespace tavrin::com {
namespace {

// Modules stay loaded for the life of the process, as servers rely on.
DllGetClassObjectFn loadServer(const std::string& module) {
    static std::mutex mutex;
    static std::map<std::string, DllGetClassObjectFn> loaded;
    std::lock_guard lock(mutex);
    if (const auto it = loaded.find(module); it != loaded.end()) return it->second;
    void* handle = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return nullptr;
    auto entry = reinterpret_cast<DllGetClassObjectFn>(::dlsym(handle, "DllGetClassObject"));
    if (!entry) {
        ::dlclose(handle);
        return nullptr;
    }
    loaded.emplace(module, entry);
    return entry;
}

class TaskAllocator final : public StaticComObject<IMalloc> {
  public:
    void* Alloc(std::size_t size) override { return std::malloc(size ? size : 1); }
    void* Realloc(void* block, std::size_t size) override { return std::realloc(block, size); }
    void Free(void* block) override { std::free(block); }
    std::size_t GetSize(void* block) override { return block ? ::malloc_usable_size(block) : 0; }
    int DidAlloc(void*) override { return -1; }
    void HeapMinimize() override {}
};

}  // namespace

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    const auto module = registry::queryString(registry::Root::ClassesRoot,
                                              "CLSID\\" + toString(clsid) + "\\InprocServer32", "");
    if (!module || module->empty()) return REGDB_E_CLASSNOTREG;
    const DllGetClassObjectFn entry = loadServer(*module);
    if (!entry) return CO_E_DLLNOTFOUND;
    ComPtr<IClassFactory> factory;
    HRESULT hr = entry(clsid, IID_IClassFactory, factory.out());
    if (FAILED(hr)) return hr;
    return factory->CreateInstance(outer, iid, object);
}

HRESULT CLSIDFromProgID(std::string_view progId, CLSID* clsid) {
    if (!clsid) return E_INVALIDARG;
    const auto text =
        registry::queryString(registry::Root::ClassesRoot, std::string(progId) + "\\CLSID", "");
    const auto guid = text ? parseGuid(*text) : std::nullopt;
    if (!guid) return CO_E_CLASSSTRING;
    *clsid = *guid;
    return S_OK;
}

void* CoTaskMemAlloc(std::size_t size) {
    return std::malloc(size ? size : 1);
}
void CoTaskMemFree(void* block) {
    std::free(block);
}

HRESULT SHGetMalloc(IMalloc** malloc) {
    if (!malloc) return E_INVALIDARG;
    static TaskAllocator allocator;
    *malloc = &allocator;
    return S_OK;
}

}  // namespace tavrin::com
