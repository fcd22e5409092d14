// IUnknown, interface identifiers, the counted pointer and a reference-counting
// base for implementations.
#pragma once

#include "com/types.h"

#include <atomic>
#include <new>
#include <tuple>
#include <type_traits>
#include <utility>

// Interface identifier lookup: IidOf<IFoo>() gives IID_IFoo.
template <class T> struct InterfaceId;
template <class T> constexpr const IID &IidOf() { return InterfaceId<std::remove_cv_t<T>>::value; }

// Declares IID_<Iface> and binds it to the interface type. The interface struct
// itself is defined after the macro. Use it at global scope.
#define QDVD_DECLARE_IID(Iface, l, w1, w2, ...)                                                      \
  struct Iface;                                                                                    \
  inline constexpr IID IID_##Iface = {l, w1, w2, {__VA_ARGS__}};                                   \
  template <> struct InterfaceId<Iface> {                                                          \
    static constexpr const IID &value = IID_##Iface;                                               \
  };

#define IID_PPV_ARGS(pp)                                                                           \
  IidOf<std::remove_pointer_t<std::remove_pointer_t<std::remove_reference_t<decltype(pp)>>>>(),           \
      reinterpret_cast<void **>(pp)
#define __uuidof(T) IidOf<T>()

QDVD_DECLARE_IID(IUnknown, 0x00000000, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46)
struct IUnknown {
  virtual HRESULT QueryInterface(REFIID iid, void **object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

  template <class Q> HRESULT QueryInterface(Q **object) {
    return QueryInterface(IidOf<Q>(), reinterpret_cast<void **>(object));
  }

protected:
  virtual ~IUnknown() = default;
};

// Counted reference to an interface.
template <class T> class ComPtr {
public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  ComPtr(T *p) : p_(p) {
    if (p_) p_->AddRef();
  }
  ComPtr(const ComPtr &o) : ComPtr(o.p_) {}
  ComPtr(ComPtr &&o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U *, T *>>>
  ComPtr(const ComPtr<U> &o) : ComPtr(static_cast<T *>(o.Get())) {}
  ~ComPtr() { Reset(); }

  ComPtr &operator=(const ComPtr &o) {
    ComPtr(o).Swap(*this);
    return *this;
  }
  ComPtr &operator=(ComPtr &&o) noexcept {
    ComPtr(std::move(o)).Swap(*this);
    return *this;
  }
  ComPtr &operator=(T *p) {
    ComPtr(p).Swap(*this);
    return *this;
  }
  ComPtr &operator=(std::nullptr_t) {
    Reset();
    return *this;
  }

  T *Get() const { return p_; }
  T *operator->() const { return p_; }
  T &operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }
  friend bool operator==(const ComPtr &a, const ComPtr &b) { return a.p_ == b.p_; }
  friend bool operator==(const ComPtr &a, std::nullptr_t) { return a.p_ == nullptr; }

  // Releases the held reference and gives the address for an out parameter.
  T **ReleaseAndGetAddressOf() {
    Reset();
    return &p_;
  }
  T **GetAddressOf() { return &p_; }
  T **operator&() { return ReleaseAndGetAddressOf(); }

  void Reset() {
    if (T *p = std::exchange(p_, nullptr)) p->Release();
  }
  void Attach(T *p) {
    Reset();
    p_ = p;
  }
  T *Detach() { return std::exchange(p_, nullptr); }
  void Swap(ComPtr &o) noexcept { std::swap(p_, o.p_); }

  template <class U> HRESULT As(ComPtr<U> *out) const { return As(out->ReleaseAndGetAddressOf()); }
  // `&ptr` of a ComPtr already gives its released address, so both spellings work.
  template <class U> HRESULT As(U **out) const {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!p_) return E_POINTER;
    return p_->QueryInterface(IidOf<U>(), reinterpret_cast<void **>(out));
  }
  HRESULT CopyTo(T **out) const {
    if (!out) return E_POINTER;
    *out = p_;
    if (p_) p_->AddRef();
    return S_OK;
  }

private:
  T *p_ = nullptr;
};

// Reference-counting implementation base. Bases are the interfaces the object
// derives from; QueryInterface is written by the implementation with QueryFrom,
// listing every interface it answers (parents of derived interfaces included).
template <class... Bases> class ComObject : public Bases... {
public:
  ULONG AddRef() override { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
  ULONG Release() override {
    ULONG left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
  }

protected:
  ComObject() = default;
  ~ComObject() override = default;

  template <class... Ifaces> HRESULT QueryFrom(REFIID iid, void **object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    using First = std::tuple_element_t<0, std::tuple<Bases...>>;
    if (iid == IID_IUnknown) {
      *object = static_cast<IUnknown *>(static_cast<First *>(this));
    } else {
      (void)((iid == IidOf<Ifaces>() ? (*object = static_cast<Ifaces *>(this), true) : false) || ...);
    }
    if (!*object) return E_NOINTERFACE;
    static_cast<IUnknown *>(static_cast<First *>(this))->AddRef();
    return S_OK;
  }

private:
  std::atomic<ULONG> refs_{1};
};

// Creates an implementation object (reference count 1) and queries the asked interface.
template <class T, class... Args> HRESULT CreateComObject(REFIID iid, void **object, Args &&...args) {
  if (!object) return E_POINTER;
  *object = nullptr;
  T *obj = new (std::nothrow) T(std::forward<Args>(args)...);
  if (!obj) return E_OUTOFMEMORY;
  HRESULT hr = obj->QueryInterface(iid, object);
  obj->Release();
  return hr;
}
