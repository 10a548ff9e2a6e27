// COM objects in the manner of ATL: a class derives from its interfaces and CComObjectRootEx and
// lists its interfaces in a table (BEGIN_COM_MAP ... END_COM_MAP). CComObject<T> makes a plain,
// reference-counted object of it; CComAggObject<T> one that lives inside an outer object and hands
// its IUnknown calls to it. Objects are apartment-bound: counts are not interlocked. Each live
// object holds one lock on the module (CComModule) so that the DLL stays loaded.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <cstddef>
#include <new>

#include "framework/com_module.h"

// One row of a COM map: an interface and where its table pointer sits in the object.
struct InterfaceEntry {
  const IID* piid;
  std::ptrdiff_t offset;
};

// The first entry answers IUnknown; the table ends with a null IID.
HRESULT InternalQueryInterface(void* pThis, const InterfaceEntry* pEntries, REFIID iid, void** ppvObject);

class CComObjectRootEx {
 public:
  CComObjectRootEx() = default;
  CComObjectRootEx(const CComObjectRootEx&) = delete;
  CComObjectRootEx& operator=(const CComObjectRootEx&) = delete;

 protected:
  ~CComObjectRootEx() = default;
  ULONG InternalAddRef() { return ++m_dwRef; }
  ULONG InternalRelease() { return --m_dwRef; }

  ULONG m_dwRef = 0;
  IUnknown* m_pOuterUnknown = nullptr;  // the outer object while aggregated, never owned
};

namespace com_map_detail {
// Where interface `I` of class `T` sits inside a T.
template <class T, class I>
std::ptrdiff_t OffsetOf() {
  alignas(T) static char probe[sizeof(T)];
  T* const object = reinterpret_cast<T*>(probe);
  return reinterpret_cast<char*>(static_cast<I*>(object)) - reinterpret_cast<char*>(object);
}
}  // namespace com_map_detail

// The table is made afresh on each call, on the stack: a function's static table of computed
// offsets would be guarded by the threads library linked into the module, which leaves an event
// and a thread handle behind for each thread that used it, each time the module is unloaded.
#define BEGIN_COM_MAP(theClass)                                                  \
 public:                                                                         \
  using ComMapClass = theClass;                                                  \
  HRESULT _InternalQueryInterface(REFIID iid, void** ppvObject) {                \
    return WithInterfaceMap([&](const InterfaceEntry* entries) {                 \
      return InternalQueryInterface(this, entries, iid, ppvObject);              \
    });                                                                          \
  }                                                                              \
  /* The object's own IUnknown: its first interface. */                          \
  IUnknown* GetUnknown() {                                                       \
    return WithInterfaceMap([this](const InterfaceEntry* entries) {              \
      return reinterpret_cast<IUnknown*>(reinterpret_cast<char*>(this) +         \
                                         entries[0].offset);                     \
    });                                                                          \
  }                                                                              \
  template <class Use>                                                           \
  static auto WithInterfaceMap(Use use)                                          \
      -> decltype(use(static_cast<const InterfaceEntry*>(nullptr))) {            \
    const InterfaceEntry entries[] = {
// The interface `I`, answered by the base `I`.
#define COM_INTERFACE_ENTRY(I) {&__uuidof(I), com_map_detail::OffsetOf<ComMapClass, I>()},
// The interface `I`, answered by the base `Base` that derives from it.
#define COM_INTERFACE_ENTRY2(I, Base) {&__uuidof(I), com_map_detail::OffsetOf<ComMapClass, Base>()},
#define END_COM_MAP()  \
  {nullptr, 0}         \
  }                    \
  ;                    \
  return use(entries); \
  }

// A plain object of class T: IUnknown is its own.
template <class T>
class CComObject final : public T {
 public:
  CComObject() { _Module.Lock(); }
  ~CComObject() { _Module.Unlock(); }

  STDMETHOD(QueryInterface)(REFIID iid, void** ppvObject) override { return this->_InternalQueryInterface(iid, ppvObject); }
  STDMETHOD_(ULONG, AddRef)() override { return this->InternalAddRef(); }
  STDMETHOD_(ULONG, Release)() override {
    const ULONG count = this->InternalRelease();
    if (count == 0) delete this;
    return count;
  }
};

// Class T inside an aggregate: every IUnknown call of its interfaces goes to the outer object.
template <class T>
class CComContainedObject final : public T {
 public:
  explicit CComContainedObject(IUnknown* pOuter) { this->m_pOuterUnknown = pOuter; }
  STDMETHOD(QueryInterface)(REFIID iid, void** ppvObject) override {
    return this->m_pOuterUnknown->QueryInterface(iid, ppvObject);
  }
  STDMETHOD_(ULONG, AddRef)() override { return this->m_pOuterUnknown->AddRef(); }
  STDMETHOD_(ULONG, Release)() override { return this->m_pOuterUnknown->Release(); }
};

// The inner, non-delegating IUnknown of an aggregated T: the outer object's only way to the
// object's interfaces and its own reference count.
template <class T>
class CComAggObject final : public IUnknown {
 public:
  explicit CComAggObject(IUnknown* pOuter) : m_contained(pOuter) { _Module.Lock(); }
  virtual ~CComAggObject() { _Module.Unlock(); }
  CComAggObject(const CComAggObject&) = delete;
  CComAggObject& operator=(const CComAggObject&) = delete;

  STDMETHOD(QueryInterface)(REFIID iid, void** ppvObject) override {
    if (!ppvObject) return E_POINTER;
    if (!IsEqualIID(iid, IID_IUnknown)) return m_contained._InternalQueryInterface(iid, ppvObject);
    *ppvObject = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHOD_(ULONG, AddRef)() override { return ++m_dwRef; }
  STDMETHOD_(ULONG, Release)() override {
    const ULONG count = --m_dwRef;
    if (count == 0) delete this;
    return count;
  }

 private:
  ULONG m_dwRef = 0;
  CComContainedObject<T> m_contained;
};

// Makes a T, plain or inside `pOuter`, and queries it for `iid`; a failed query destroys it again.
template <class T>
struct CComCreator {
  static HRESULT WINAPI CreateInstance(IUnknown* pOuter, REFIID iid, void** ppvObject) {
    if (!ppvObject) return E_POINTER;
    *ppvObject = nullptr;
    IUnknown* object = nullptr;
    if (pOuter) {
      object = new (std::nothrow) CComAggObject<T>(pOuter);
    } else if (CComObject<T>* const plain = new (std::nothrow) CComObject<T>) {
      object = plain->GetUnknown();
    }
    if (!object) return E_OUTOFMEMORY;
    object->AddRef();  // held across the query, so a failed query frees the object
    const HRESULT hr = object->QueryInterface(iid, ppvObject);
    object->Release();
    return hr;
  }
};
