#include "tests/band/quillbar_dll.h"

#include <gtest/gtest.h>

#include <string>

#include "quillbar_idl.h"

namespace {

std::string DllPath() {
  char program[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, program, MAX_PATH);
  const std::string path(program, length);
  return path.substr(0, path.rfind('\\') + 1) + "quillbar.dll";
}

template <class Func>
Func Export(HMODULE module, const char* name) {
  return reinterpret_cast<Func>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

QuillbarDll::QuillbarDll() : m_module(LoadLibraryA(DllPath().c_str())) { EXPECT_NE(m_module, nullptr); }

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
