// A minimal in-process server: one class whose objects answer 42.

#include "tests/platform/test_server.hpp"

#include "platform/com/object.hpp"

using namespace tavrin::com;
using tavrin::test::IAnswer;
using tavrin::test::kIidAnswer;

namespace {

ModuleCounts counts;

class Object final : public ComObject<IAnswer> {
  public:
    Object() { counts.objectCreated(); }
    int Answer() override { return 42; }

  private:
    ~Object() override { counts.objectDestroyed(); }
};

class Factory final : public StaticComObject<IClassFactory> {
  public:
    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* object = new Object;
        const HRESULT hr = object->QueryInterface(iid, out);
        object->Release();
        return hr;
    }
    HRESULT LockServer(BOOL lock) override {
        lock ? counts.lock() : counts.unlock();
        return S_OK;
    }
};

Factory factory;

}  // namespace

extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(REFCLSID clsid,
                                                                            REFIID iid,
                                                                            void** out) {
    if (!(clsid == tavrin::test::kTestClsid)) return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(iid, out);
}

extern "C" __attribute__((visibility("default"))) HRESULT DllCanUnloadNow() {
    return counts.canUnloadNow();
}
