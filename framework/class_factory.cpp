#include "framework/class_factory.h"

CComClassFactory::CComClassFactory(CreatorFunc pfnCreateInstance) : m_pfnCreateInstance(pfnCreateInstance) {
  InitializeCriticalSection(&m_cs);
}

CComClassFactory::~CComClassFactory() { DeleteCriticalSection(&m_cs); }

STDMETHODIMP CComClassFactory::QueryInterface(REFIID iid, void** ppvObject) {
  if (!ppvObject) return E_POINTER;
  *ppvObject = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
  *ppvObject = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CComClassFactory::AddRef() {
  EnterCriticalSection(&m_cs);
  const LONG count = InterlockedIncrement(&m_dwRef);
  if (count == 2) _Module.Lock();  // the first reference held outside the module
  LeaveCriticalSection(&m_cs);
  return static_cast<ULONG>(count);
}

STDMETHODIMP_(ULONG) CComClassFactory::Release() {
  EnterCriticalSection(&m_cs);
  const LONG count = InterlockedDecrement(&m_dwRef);
  if (count == 1) _Module.Unlock();  // only the module's own reference is left
  LeaveCriticalSection(&m_cs);
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}

STDMETHODIMP CComClassFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) {
  if (!ppvObject) return E_POINTER;
  *ppvObject = nullptr;
  if (pUnkOuter && !IsEqualIID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
  return m_pfnCreateInstance(pUnkOuter, riid, ppvObject);
}

STDMETHODIMP CComClassFactory::LockServer(BOOL fLock) {
  if (fLock) {
    _Module.Lock();
  } else {
    _Module.Unlock();
  }
  return S_OK;
}
