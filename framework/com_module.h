// The COM server module, in the manner of ATL's CComModule: the object map (the classes the DLL
// serves, with their registration and creators), the module lock count that decides when the DLL
// may be unloaded, the cached class objects, and registration of the classes and type library.
#pragma once

#include <windows.h>
#include <unknwn.h>

using CreatorFunc = HRESULT(WINAPI*)(IUnknown* pOuter, REFIID iid, void** ppvObject);
using UpdateRegistryFunc = HRESULT (*)(bool bRegister);

struct ObjectMapEntry {
  const CLSID* pclsid;
  UpdateRegistryFunc pfnUpdateRegistry;
  CreatorFunc pfnCreateInstance;  // a plain object, or an aggregated one with an outer IUnknown
};

class CComModule {
 public:
  // `pObjectMap` ends with a null CLSID and must outlive the module's use.
  HRESULT Init(const ObjectMapEntry* pObjectMap, HINSTANCE hInstance, const GUID* plibid);
  // Releases the cached class objects.
  void Term();

  LONG Lock() { return InterlockedIncrement(&m_nLockCnt); }
  LONG Unlock() { return InterlockedDecrement(&m_nLockCnt); }
  LONG GetLockCount() const { return m_nLockCnt; }

  // The class object of `rclsid`, made on first use and kept; CLASS_E_CLASSNOTAVAILABLE for a
  // class outside the map.
  HRESULT GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
  // Every class of the map, then the type library in the module's "TYPELIB" resource 1.
  HRESULT RegisterServer();
  HRESULT UnregisterServer();

  HINSTANCE GetModuleInstance() const { return m_hInst; }
  // The module's full path, as the registry names it.
  static HRESULT GetModulePath(HINSTANCE hInstance, char (&path)[MAX_PATH]);

 private:
  HRESULT UpdateClassesRegistry(bool bRegister);

  const ObjectMapEntry* m_pObjectMap = nullptr;
  IUnknown** m_ppClassObjects = nullptr;  // one per map entry, made on first use
  size_t m_nClasses = 0;
  HINSTANCE m_hInst = nullptr;
  const GUID* m_plibid = nullptr;
  volatile LONG m_nLockCnt = 0;
  CRITICAL_SECTION m_csClassObjects = {};
};

// The module object of the COM server this code is linked into.
extern CComModule _Module;
