#include "tests/band/quillbar_dll.h"

#include <gtest/gtest.h>

#include <string>

#include "host/server_registration.h"
#include "quillbar_idl.h"

namespace {

template <class Func>
Func Export(HMODULE module, const char* name) {
  return reinterpret_cast<Func>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

QuillbarDll::QuillbarDll() : m_module(LoadLibraryA(PathBesideProgram("quillbar.dll").c_str())) { EXPECT_NE(m_module, nullptr); }

QuillbarDll::~QuillbarDll() {
  if (m_module) FreeLibrary(m_module);
}

HRESULT QuillbarDll::CanUnloadNow() const {
  const auto canUnloadNow = Export<HRESULT(WINAPI*)()>(m_module, "DllCanUnloadNow");
  return canUnloadNow ? canUnloadNow() : E_NOTIMPL;
}

HRESULT QuillbarDll::GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) const {
  const auto getClassObject = Export<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(m_module, "DllGetClassObject");
  return getClassObject ? getClassObject(clsid, iid, ppv) : E_NOTIMPL;
}

CComPtr<IDeskBand> QuillbarDll::CreateBand() const {
  CComPtr<IClassFactory> factory;
  CComPtr<IDeskBand> band;
  EXPECT_HRESULT_SUCCEEDED(GetClassObject(CLSID_quillbarBand, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
  if (factory) {
    EXPECT_HRESULT_SUCCEEDED(factory->CreateInstance(nullptr, IID_IDeskBand, reinterpret_cast<void**>(&band)));
  }
  return band;
}
