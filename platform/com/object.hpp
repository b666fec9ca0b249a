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

}  // namespace tavrin::com
