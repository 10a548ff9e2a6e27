#include "host/band_site.h"

#include <shlguid.h>

#include <new>

BandSite::BandSite(HWND window, HostBrowser* browser) : m_window(window), m_browser(browser) {}

CComPtr<BandSite> BandSite::Create(HWND window, HostBrowser* browser) {
  CComPtr<BandSite> site;
  site.Attach(new (std::nothrow) BandSite(window, browser));
  return site;
}

STDMETHODIMP BandSite::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IInputObjectSite) {
    *ppv = static_cast<IInputObjectSite*>(this);
  } else if (riid == IID_IOleWindow) {
    *ppv = static_cast<IOleWindow*>(this);
  } else if (riid == IID_IServiceProvider) {
    *ppv = static_cast<IServiceProvider*>(this);
  } else {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) BandSite::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }

STDMETHODIMP_(ULONG) BandSite::Release() {
  const LONG refs = InterlockedDecrement(&m_refs);
  if (refs == 0) delete this;
  return static_cast<ULONG>(refs);
}

STDMETHODIMP BandSite::OnFocusChangeIS(IUnknown*, BOOL fSetFocus) {
  try {
    m_focusChanges.push_back(fSetFocus);
    return S_OK;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

STDMETHODIMP BandSite::GetWindow(HWND* phwnd) {
  if (!phwnd) return E_POINTER;
  *phwnd = m_window;
  return S_OK;
}

STDMETHODIMP BandSite::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP BandSite::QueryService(REFGUID guidService, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  // The browser is the host's only service.
  if (guidService != SID_SWebBrowserApp || !m_browser) return E_NOINTERFACE;
  return m_browser->QueryInterface(riid, ppv);
}
