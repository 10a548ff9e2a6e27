#include "host/host_browser.h"

#include <new>

namespace {

// The text of a BSTR in the program's ANSI code page, as the -A window functions show it.
std::string AnsiText(BSTR text) {
  const int length = static_cast<int>(SysStringLen(text));
  if (length == 0) return std::string();
  const int size = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string converted(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, length, &converted[0], size, nullptr, nullptr);
  return converted;
}

}  // namespace

HostBrowser::HostBrowser(NavigationCallback onNavigate) : m_onNavigate(std::move(onNavigate)) {}

CComPtr<HostBrowser> HostBrowser::Create(NavigationCallback onNavigate) {
  CComPtr<HostBrowser> browser;
  browser.Attach(new (std::nothrow) HostBrowser(std::move(onNavigate)));
  return browser;
}

std::vector<std::string> HostBrowser::Navigations() const { return m_navigations; }

STDMETHODIMP HostBrowser::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IWebBrowser || riid == IID_IWebBrowserApp ||
      riid == IID_IWebBrowser2) {
    *ppv = static_cast<IWebBrowser2*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) HostBrowser::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }

STDMETHODIMP_(ULONG) HostBrowser::Release() {
  const LONG refs = InterlockedDecrement(&m_refs);
  if (refs == 0) delete this;
  return static_cast<ULONG>(refs);
}

STDMETHODIMP HostBrowser::Navigate2(VARIANT* URL, VARIANT*, VARIANT*, VARIANT*, VARIANT*) {
  if (!URL || URL->vt != VT_BSTR) return E_INVALIDARG;
  try {
    const std::string address = AnsiText(URL->bstrVal);
    m_navigations.push_back(address);
    if (m_onNavigate) m_onNavigate(address);
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

// Nothing else of the browser exists in the host.
STDMETHODIMP HostBrowser::GetTypeInfoCount(UINT*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
  return E_NOTIMPL;
}
STDMETHODIMP HostBrowser::GoBack() { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::GoForward() { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::GoHome() { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::GoSearch() { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::Navigate(BSTR, VARIANT*, VARIANT*, VARIANT*, VARIANT*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::Refresh() { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::Refresh2(VARIANT*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::Stop() { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_Application(IDispatch**) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_Parent(IDispatch**) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_Container(IDispatch**) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_Document(IDispatch**) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_TopLevelContainer(VARIANT_BOOL*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_Type(BSTR*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_Left(LONG*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::put_Left(LONG) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_Top(LONG*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::put_Top(LONG) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_Width(LONG*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::put_Width(LONG) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_Height(LONG*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::put_Height(LONG) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_LocationName(BSTR*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_LocationURL(BSTR*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_Busy(VARIANT_BOOL*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::Quit() { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::ClientToWindow(int*, int*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::PutProperty(BSTR, VARIANT) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::GetProperty(BSTR, VARIANT*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_Name(BSTR*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_HWND(SHANDLE_PTR*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_FullName(BSTR*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_Path(BSTR*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_Visible(VARIANT_BOOL*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::put_Visible(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_StatusBar(VARIANT_BOOL*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::put_StatusBar(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_StatusText(BSTR*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::put_StatusText(BSTR) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_ToolBar(int*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::put_ToolBar(int) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_MenuBar(VARIANT_BOOL*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::put_MenuBar(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_FullScreen(VARIANT_BOOL*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::put_FullScreen(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::QueryStatusWB(OLECMDID, OLECMDF*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::ExecWB(OLECMDID, OLECMDEXECOPT, VARIANT*, VARIANT*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::ShowBrowserBar(VARIANT*, VARIANT*, VARIANT*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_ReadyState(READYSTATE*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_Offline(VARIANT_BOOL*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::put_Offline(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_Silent(VARIANT_BOOL*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::put_Silent(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_RegisterAsBrowser(VARIANT_BOOL*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::put_RegisterAsBrowser(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_RegisterAsDropTarget(VARIANT_BOOL*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::put_RegisterAsDropTarget(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_TheaterMode(VARIANT_BOOL*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::put_TheaterMode(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_AddressBar(VARIANT_BOOL*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::put_AddressBar(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::get_Resizable(VARIANT_BOOL*) { return E_NOTIMPL; }
STDMETHODIMP HostBrowser::put_Resizable(VARIANT_BOOL) { return E_NOTIMPL; }
