#pragma once
// IUnknown, IClassFactory and IMalloc with the slot order of the Windows SDK, and the
// object and lock counts an in-process server keeps for DllCanUnloadNow.

#include <atomic>
#include <cstddef>

#include "platform/com/types.hpp"

namespace tavrin::com {

inline constexpr IID IID_IUnknown{
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IClassFactory{
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IMalloc{
    0x00000002, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Interfaces are visible across modules, so that a server and its host agree on their types
// (type identity across shared objects needs default visibility). They are released, never
// deleted through: their destructors are protected.
#define TAVRIN_INTERFACE struct __attribute__((visibility("default")))

TAVRIN_INTERFACE IUnknown {
    static constexpr IID kIid = IID_IUnknown;
    virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

  protected:
    ~IUnknown() = default;
};

TAVRIN_INTERFACE IClassFactory : IUnknown {
    static constexpr IID kIid = IID_IClassFactory;
    virtual HRESULT CreateInstance(IUnknown * outer, REFIID iid, void** object) = 0;
    virtual HRESULT LockServer(BOOL lock) = 0;

  protected:
    ~IClassFactory() = default;
};

TAVRIN_INTERFACE IMalloc : IUnknown {
    static constexpr IID kIid = IID_IMalloc;
    virtual void* Alloc(std::size_t size) = 0;
    virtual void* Realloc(void* block, std::size_t size) = 0;
    virtual void Free(void* block) = 0;
    virtual std::size_t GetSize(void* block) = 0;
    virtual int DidAlloc(void* block) = 0;
    virtual void HeapMinimize() = 0;

  protected:
    ~IMalloc() = default;
};

// Releases an interface pointer when it goes out of scope.
template <typename T>
class ComPtr {
  public:
    ComPtr() = default;
    explicit ComPtr(T* p) : p_(p) {}  // takes over one reference
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) {
            reset();
            p_ = o.p_;
            o.p_ = nullptr;
        }
        return *this;
    }
    ~ComPtr() { reset(); }

    void reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // The address to receive a new reference into (the old one is released first).
    void** out() {
        reset();
        return reinterpret_cast<void**>(&p_);
    }

  private:
    T* p_ = nullptr;
};

// Counts the live objects and server locks of one module.
class ModuleCounts {
  public:
    void objectCreated() { ++objects_; }
    void objectDestroyed() { --objects_; }
    void lock() { ++locks_; }
    void unlock() { --locks_; }
    long objects() const { return objects_; }
    long locks() const { return locks_; }
    // What pages count themselves in while they keep the module loaded.
    std::atomic<long>& lockCount() { return locks_; }
    // DllCanUnloadNow: S_OK when no object and no lock exists.
    HRESULT canUnloadNow() const { return objects_ == 0 && locks_ == 0 ? S_OK : S_FALSE; }

  private:
    std::atomic<long> objects_{0};
    std::atomic<long> locks_{0};
};

}  // namespace tavrin::com
