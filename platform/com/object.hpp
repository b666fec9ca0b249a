#pragma once
// The IUnknown part every COM class shares: a reference count that deletes the object at zero,
// and QueryInterface over the interfaces it derives from (each names its IID as kIid; IUnknown
// is answered with the first interface).

#include <atomic>

#include "platform/com/unknown.hpp"

namespace tavrin::com {

template <typename First, typename... Rest>
class ComObject : public First, public Rest... {
  public:
    HRESULT QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == First::kIid) {
            *out = static_cast<First*>(this);
        } else {
            [[maybe_unused]] const bool found =
                (... || (iid == Rest::kIid && (*out = static_cast<Rest*>(this)) != nullptr));
        }
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

  protected:
    ComObject() = default;
    virtual ~ComObject() = default;

  private:
    std::atomic<ULONG> refs_{1};  // the creator's reference
};

// An object that lives as long as its module (a class factory, the task allocator): it answers
// IUnknown and its one interface and keeps no count.
template <typename Interface>
class StaticComObject : public Interface {
  public:
    HRESULT QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == Interface::kIid) {
            *out = static_cast<Interface*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }

  protected:
    ~StaticComObject() = default;
};

}  // namespace tavrin::com
