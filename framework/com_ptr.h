// CComPtr: an owning interface pointer. It releases what it holds when it is destroyed, reset or
// given another pointer; Attach takes over a reference the caller already owns, Detach hands the
// held reference back to the caller.
#pragma once

#include <unknwn.h>

template <class T>
class CComPtr {
 public:
  CComPtr() = default;
  CComPtr(T* p) : p(p) {  // NOLINT: implicit, like the pointer it wraps
    if (p) p->AddRef();
  }
  CComPtr(const CComPtr& other) : CComPtr(other.p) {}
  ~CComPtr() { Release(); }
  CComPtr& operator=(const CComPtr& other) {
    CComPtr copy(other);
    Swap(copy);
    return *this;
  }
  CComPtr& operator=(T* other) {
    CComPtr copy(other);
    Swap(copy);
    return *this;
  }

  // Takes over the caller's reference to `other` (no AddRef), releasing the one held before.
  void Attach(T* other) {
    Release();
    p = other;
  }
  // Gives up the held reference to the caller (no Release).
  T* Detach() {
    T* const held = p;
    p = nullptr;
    return held;
  }
  void Release() {
    T* const held = Detach();
    if (held) held->Release();
  }

  // Queries the held object for `Q`; E_POINTER when nothing is held.
  template <class Q>
  HRESULT QueryInterface(Q** pp) const {
    if (!pp) return E_POINTER;
    *pp = nullptr;
    return p ? p->QueryInterface(__uuidof(Q), reinterpret_cast<void**>(pp)) : E_POINTER;
  }

  T* operator->() const { return p; }
  operator T*() const { return p; }  // NOLINT: passes as the raw pointer in COM calls
  // For out arguments: the held reference must already be gone.
  T** operator&() { return &p; }
  bool operator!() const { return p == nullptr; }

  T* p = nullptr;

 private:
  void Swap(CComPtr& other) {
    T* const held = p;
    p = other.p;
    other.p = held;
  }
};
