// The browser as a band sees it through its site: an IWebBrowser2 whose only working method is
// Navigate2. It records every address it is asked to open and hands each to the host window.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <exdisp.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/com_ptr.h"

class HostBrowser final : public IWebBrowser2 {
 public:
  using NavigationCallback = std::function<void(const std::string& address)>;

  // A new object holding one reference for the caller; nullptr when memory ran out.
  static CComPtr<HostBrowser> Create(NavigationCallback onNavigate = {});

  // Every address passed to Navigate2, oldest first.
  std::vector<std::string> Navigations() const;

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IDispatch
  STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
  STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override;
  STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                      VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

  // IWebBrowser
  STDMETHODIMP GoBack() override;
  STDMETHODIMP GoForward() override;
  STDMETHODIMP GoHome() override;
  STDMETHODIMP GoSearch() override;
  STDMETHODIMP Navigate(BSTR URL, VARIANT* Flags, VARIANT* TargetFrameName, VARIANT* PostData,
                        VARIANT* Headers) override;
  STDMETHODIMP Refresh() override;
  STDMETHODIMP Refresh2(VARIANT* Level) override;
  STDMETHODIMP Stop() override;
  STDMETHODIMP get_Application(IDispatch** ppDisp) override;
  STDMETHODIMP get_Parent(IDispatch** ppDisp) override;
  STDMETHODIMP get_Container(IDispatch** ppDisp) override;
  STDMETHODIMP get_Document(IDispatch** ppDisp) override;
  STDMETHODIMP get_TopLevelContainer(VARIANT_BOOL* pBool) override;
  STDMETHODIMP get_Type(BSTR* Type) override;
  STDMETHODIMP get_Left(LONG* pl) override;
  STDMETHODIMP put_Left(LONG Left) override;
  STDMETHODIMP get_Top(LONG* pl) override;
  STDMETHODIMP put_Top(LONG Top) override;
  STDMETHODIMP get_Width(LONG* pl) override;
  STDMETHODIMP put_Width(LONG Width) override;
  STDMETHODIMP get_Height(LONG* pl) override;
  STDMETHODIMP put_Height(LONG Height) override;
  STDMETHODIMP get_LocationName(BSTR* LocationName) override;
  STDMETHODIMP get_LocationURL(BSTR* LocationURL) override;
  STDMETHODIMP get_Busy(VARIANT_BOOL* pBool) override;

  // IWebBrowserApp
  STDMETHODIMP Quit() override;
  STDMETHODIMP ClientToWindow(int* pcx, int* pcy) override;
  STDMETHODIMP PutProperty(BSTR Property, VARIANT vtValue) override;
  STDMETHODIMP GetProperty(BSTR Property, VARIANT* pvtValue) override;
  STDMETHODIMP get_Name(BSTR* Name) override;
  STDMETHODIMP get_HWND(SHANDLE_PTR* pHWND) override;
  STDMETHODIMP get_FullName(BSTR* FullName) override;
  STDMETHODIMP get_Path(BSTR* Path) override;
  STDMETHODIMP get_Visible(VARIANT_BOOL* pBool) override;
  STDMETHODIMP put_Visible(VARIANT_BOOL Value) override;
  STDMETHODIMP get_StatusBar(VARIANT_BOOL* pBool) override;
  STDMETHODIMP put_StatusBar(VARIANT_BOOL Value) override;
  STDMETHODIMP get_StatusText(BSTR* StatusText) override;
  STDMETHODIMP put_StatusText(BSTR StatusText) override;
  STDMETHODIMP get_ToolBar(int* Value) override;
  STDMETHODIMP put_ToolBar(int Value) override;
  STDMETHODIMP get_MenuBar(VARIANT_BOOL* Value) override;
  STDMETHODIMP put_MenuBar(VARIANT_BOOL Value) override;
  STDMETHODIMP get_FullScreen(VARIANT_BOOL* pbFullScreen) override;
  STDMETHODIMP put_FullScreen(VARIANT_BOOL bFullScreen) override;

  // IWebBrowser2
  STDMETHODIMP Navigate2(VARIANT* URL, VARIANT* Flags, VARIANT* TargetFrameName, VARIANT* PostData,
                         VARIANT* Headers) override;
  STDMETHODIMP QueryStatusWB(OLECMDID cmdID, OLECMDF* pcmdf) override;
  STDMETHODIMP ExecWB(OLECMDID cmdID, OLECMDEXECOPT cmdexecopt, VARIANT* pvaIn, VARIANT* pvaOut) override;
  STDMETHODIMP ShowBrowserBar(VARIANT* pvaClsid, VARIANT* pvarShow, VARIANT* pvarSize) override;
  STDMETHODIMP get_ReadyState(READYSTATE* plReadyState) override;
  STDMETHODIMP get_Offline(VARIANT_BOOL* pbOffline) override;
  STDMETHODIMP put_Offline(VARIANT_BOOL bOffline) override;
  STDMETHODIMP get_Silent(VARIANT_BOOL* pbSilent) override;
  STDMETHODIMP put_Silent(VARIANT_BOOL bSilent) override;
  STDMETHODIMP get_RegisterAsBrowser(VARIANT_BOOL* pbRegister) override;
  STDMETHODIMP put_RegisterAsBrowser(VARIANT_BOOL bRegister) override;
  STDMETHODIMP get_RegisterAsDropTarget(VARIANT_BOOL* pbRegister) override;
  STDMETHODIMP put_RegisterAsDropTarget(VARIANT_BOOL bRegister) override;
  STDMETHODIMP get_TheaterMode(VARIANT_BOOL* pbRegister) override;
  STDMETHODIMP put_TheaterMode(VARIANT_BOOL bRegister) override;
  STDMETHODIMP get_AddressBar(VARIANT_BOOL* Value) override;
  STDMETHODIMP put_AddressBar(VARIANT_BOOL Value) override;
  STDMETHODIMP get_Resizable(VARIANT_BOOL* Value) override;
  STDMETHODIMP put_Resizable(VARIANT_BOOL Value) override;

 private:
  explicit HostBrowser(NavigationCallback onNavigate);
  ~HostBrowser() = default;

  LONG m_refs = 1;
  const NavigationCallback m_onNavigate;
  std::vector<std::string> m_navigations;
};
