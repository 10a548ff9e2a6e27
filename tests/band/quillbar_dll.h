// quillbar.dll loaded into the test process, its exports called directly, as COM does.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "framework/com_ptr.h"

// The interface `I` of `object`, empty when it has none; `result` receives the query's HRESULT.
template <class I>
CComPtr<I> Query(IUnknown* object, HRESULT* result = nullptr) {
  CComPtr<I> found;
  const HRESULT hr = object->QueryInterface(__uuidof(I), reinterpret_cast<void**>(&found));
  if (result) *result = hr;
  return found;
}

class QuillbarDll {
 public:
  QuillbarDll();  // loads the DLL beside the test program
  ~QuillbarDll();
  QuillbarDll(const QuillbarDll&) = delete;
  QuillbarDll& operator=(const QuillbarDll&) = delete;

  HMODULE Module() const { return m_module; }
  HRESULT CanUnloadNow() const;
  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) const;
  // A new band through the class object, as IDeskBand.
  CComPtr<IDeskBand> CreateBand() const;

 private:
  HMODULE m_module;
};
