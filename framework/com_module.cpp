#include "framework/com_module.h"

#include <oleauto.h>

#include <new>

#include "framework/class_factory.h"

namespace {

// The type library in the module's resources, loaded without registering it, and the module's
// path that the library is registered under.
HRESULT LoadModuleTypeLib(HINSTANCE hInstance, ITypeLib** ppTypeLib, wchar_t (&path)[MAX_PATH]) {
  const DWORD length = GetModuleFileNameW(hInstance, path, MAX_PATH);
  if (length == 0) return HRESULT_FROM_WIN32(GetLastError());
  if (length >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
  return LoadTypeLibEx(path, REGKIND_NONE, ppTypeLib);
}

}  // namespace

HRESULT CComModule::Init(const ObjectMapEntry* pObjectMap, HINSTANCE hInstance, const GUID* plibid) {
  m_pObjectMap = pObjectMap;
  m_hInst = hInstance;
  m_plibid = plibid;
  m_nClasses = 0;
  while (pObjectMap[m_nClasses].pclsid) ++m_nClasses;
  m_ppClassObjects = new (std::nothrow) IUnknown*[m_nClasses]();
  if (!m_ppClassObjects) return E_OUTOFMEMORY;
  InitializeCriticalSection(&m_csClassObjects);
  return S_OK;
}

void CComModule::Term() {
  if (!m_ppClassObjects) return;
  for (size_t i = 0; i < m_nClasses; ++i) {
    if (m_ppClassObjects[i]) m_ppClassObjects[i]->Release();
  }
  delete[] m_ppClassObjects;
  m_ppClassObjects = nullptr;
  DeleteCriticalSection(&m_csClassObjects);
}

HRESULT CComModule::GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!m_ppClassObjects) return E_UNEXPECTED;
  for (size_t i = 0; i < m_nClasses; ++i) {
    if (!IsEqualCLSID(*m_pObjectMap[i].pclsid, rclsid)) continue;
    EnterCriticalSection(&m_csClassObjects);
    if (!m_ppClassObjects[i]) {
      if (CComClassFactory* const factory = new (std::nothrow) CComClassFactory(m_pObjectMap[i].pfnCreateInstance)) {
        factory->AddRef();  // the module's own reference
        m_ppClassObjects[i] = factory;
      }
    }
    IUnknown* const classObject = m_ppClassObjects[i];
    LeaveCriticalSection(&m_csClassObjects);
    return classObject ? classObject->QueryInterface(riid, ppv) : E_OUTOFMEMORY;
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CComModule::UpdateClassesRegistry(bool bRegister) {
  for (size_t i = 0; i < m_nClasses; ++i) {
    const HRESULT hr = m_pObjectMap[i].pfnUpdateRegistry(bRegister);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT CComModule::RegisterServer() {
  HRESULT hr = UpdateClassesRegistry(true);
  if (FAILED(hr)) return hr;
  ITypeLib* typeLib = nullptr;
  wchar_t path[MAX_PATH];
  hr = LoadModuleTypeLib(m_hInst, &typeLib, path);
  if (FAILED(hr)) return hr;
  hr = RegisterTypeLib(typeLib, path, nullptr);
  typeLib->Release();
  return hr;
}

HRESULT CComModule::UnregisterServer() {
  HRESULT hr = UpdateClassesRegistry(false);
  if (FAILED(hr)) return hr;
  ITypeLib* typeLib = nullptr;
  wchar_t path[MAX_PATH];
  hr = LoadModuleTypeLib(m_hInst, &typeLib, path);
  if (FAILED(hr)) return hr;
  TLIBATTR* attributes = nullptr;
  hr = typeLib->GetLibAttr(&attributes);
  if (SUCCEEDED(hr)) {
    hr = UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum, attributes->lcid,
                           attributes->syskind);
    typeLib->ReleaseTLibAttr(attributes);
  }
  typeLib->Release();
  return hr;
}

HRESULT CComModule::GetModulePath(HINSTANCE hInstance, char (&path)[MAX_PATH]) {
  const DWORD length = GetModuleFileNameA(hInstance, path, MAX_PATH);
  if (length == 0) return HRESULT_FROM_WIN32(GetLastError());
  if (length >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);  // cut short
  return S_OK;
}
