// The class object of a COM class, in the manner of ATL's cached class factory: the module keeps
// one reference for as long as it lives, and every reference held outside the module (count two
// and up) keeps the module locked, so the DLL stays loaded while a client holds the factory.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "framework/com_module.h"

class CComClassFactory final : public IClassFactory {
 public:
  explicit CComClassFactory(CreatorFunc pfnCreateInstance);
  ~CComClassFactory();
  CComClassFactory(const CComClassFactory&) = delete;
  CComClassFactory& operator=(const CComClassFactory&) = delete;

  STDMETHOD(QueryInterface)(REFIID iid, void** ppvObject) override;
  STDMETHOD_(ULONG, AddRef)() override;
  STDMETHOD_(ULONG, Release)() override;
  // An outer IUnknown may only ask for IID_IUnknown (COM's aggregation rule).
  STDMETHOD(CreateInstance)(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) override;
  STDMETHOD(LockServer)(BOOL fLock) override;

 private:
  CreatorFunc m_pfnCreateInstance;
  volatile LONG m_dwRef = 0;
  CRITICAL_SECTION m_cs = {};
};
