#include "band/quillbar_band.h"

#include <shlguid.h>

#include "broker/integrity_level.h"
#include "framework/com_guard.h"

namespace {

constexpr POINTL kMinSize = {700, 24};
constexpr POINTL kMaxSize = {-1, 25};  // no limit across
constexpr POINTL kIntegral = {1, 1};
constexpr POINTL kActualSize = {200, 25};
constexpr DWORD kModeFlags = DBIMF_BREAK | DBIMF_BKCOLOR | DBIMF_VARIABLEHEIGHT;

}  // namespace

STDMETHODIMP CquillbarBand::SetSite(IUnknown* pUnkSite) {
  return GuardedCall([&] { return TakeSite(pUnkSite); });
}

HRESULT CquillbarBand::TakeSite(IUnknown* pUnkSite) {
  m_spSite.Release();
  if (!pUnkSite) return S_OK;  // the site goes; the windows and the browser stay
  HRESULT hr = pUnkSite->QueryInterface(IID_IInputObjectSite, reinterpret_cast<void**>(&m_spSite));
  if (FAILED(hr)) {
    m_spSite.Detach();  // a failed query hands back nothing to own
    return hr == E_NOINTERFACE ? S_OK : hr;  // not a band site: nothing to show
  }

  m_hwndParent = nullptr;
  CComPtr<IOleWindow> window;
  if (SUCCEEDED(m_spSite.QueryInterface(&window)) && window && FAILED(window->GetWindow(&m_hwndParent))) {
    m_hwndParent = nullptr;
  }
  if (!m_hwndParent) {
    m_spSite.Release();  // a refused site is not held
    return E_FAIL;
  }

  // The browser is reached through the site's services; a site without them cannot be served.
  CComPtr<IServiceProvider> services;
  hr = m_spSite.QueryInterface(&services);
  if (FAILED(hr) || !services) {
    m_spSite.Release();
    return FAILED(hr) ? hr : E_NOINTERFACE;
  }
  m_spWebBrowser.Release();
  services->QueryService(SID_SWebBrowserApp, IID_IWebBrowser2, reinterpret_cast<void**>(&m_spWebBrowser));

  if (m_wndHost.m_hWnd && m_wndToolBar.IsCreated()) {
    // A further site: the windows move over with their state rather than being made twice.
    return ::SetParent(m_wndHost.m_hWnd, m_hwndParent) ? S_OK : E_FAIL;
  }
  // A first site, or one after the toolbar could not be made: what a failed attempt left goes.
  m_wndHost.DestroyWindow();
  return CreateBandWindow() ? S_OK : E_FAIL;
}

STDMETHODIMP CquillbarBand::GetSite(REFIID riid, void** ppvSite) {
  if (!ppvSite) return E_POINTER;
  *ppvSite = nullptr;
  if (!m_spSite) return E_FAIL;
  return m_spSite->QueryInterface(riid, ppvSite);
}

STDMETHODIMP CquillbarBand::UIActivateIO(BOOL fActivate, MSG*) {
  if (fActivate) m_wndToolBar.UIActivateIO();
  return S_OK;
}

STDMETHODIMP CquillbarBand::HasFocusIO() { return m_wndToolBar.HasFocusIO(); }

STDMETHODIMP CquillbarBand::TranslateAcceleratorIO(MSG* pMsg) {
  return GuardedCall([&] { return m_wndToolBar.TranslateAcceleratorIO(pMsg); });
}

STDMETHODIMP CquillbarBand::GetWindow(HWND* phwnd) {
  if (!phwnd) return E_POINTER;
  *phwnd = m_wndToolBar.m_hWnd;
  return S_OK;
}

STDMETHODIMP CquillbarBand::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP CquillbarBand::ShowDW(BOOL fShow) {
  if (m_wndToolBar.m_hWnd) ::ShowWindow(m_wndToolBar.m_hWnd, fShow ? SW_SHOW : SW_HIDE);
  return S_OK;
}

STDMETHODIMP CquillbarBand::CloseDW(DWORD) {
  static_cast<IDockingWindow*>(this)->ShowDW(FALSE);
  return S_OK;  // the windows go with the object
}

STDMETHODIMP CquillbarBand::ResizeBorderDW(LPCRECT, IUnknown*, BOOL) { return E_NOTIMPL; }

STDMETHODIMP CquillbarBand::GetBandInfo(DWORD, DWORD, DESKBANDINFO* pdbi) {
  if (!pdbi) return E_INVALIDARG;
  if (pdbi->dwMask & DBIM_MINSIZE) pdbi->ptMinSize = kMinSize;
  if (pdbi->dwMask & DBIM_MAXSIZE) pdbi->ptMaxSize = kMaxSize;
  if (pdbi->dwMask & DBIM_INTEGRAL) pdbi->ptIntegral = kIntegral;
  if (pdbi->dwMask & DBIM_ACTUAL) pdbi->ptActual = kActualSize;
  if (pdbi->dwMask & DBIM_MODEFLAGS) pdbi->dwModeFlags = kModeFlags;
  pdbi->dwMask &= ~static_cast<DWORD>(DBIM_BKCOLOR);  // the site's own background
  return S_OK;
}

void CquillbarBand::FocusChange(bool bFocus) {
  if (!m_spSite) return;
  IUnknown* self = nullptr;
  if (SUCCEEDED(static_cast<IDeskBand*>(this)->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&self)))) {
    m_spSite->OnFocusChangeIS(self, bFocus);
    self->Release();
  }
}

bool CquillbarBand::CreateBandWindow() {
  RECT rect = {};
  if (!::GetClientRect(m_hwndParent, &rect)) return false;
  if (!m_wndHost.CreateEx(0, AfxPlainWindowClass(), nullptr, WS_CHILD, rect, m_hwndParent, 0)) return false;
  // A band that may not write the user's settings and list (a low-integrity browser) has the broker
  // write them.
  const BandWriter& writer = WritesThroughBroker() ? kBrokerWriter : kDirectWriter;
  return m_wndToolBar.CreateToolBar(rect, &m_wndHost, this, writer) != FALSE;
}
