// The band object the browser creates from the registered class and hosts as a toolbar band: it
// takes its site, makes the toolbar inside the site's window, and passes sizes, display, focus
// and keys between the browser and the toolbar.
#pragma once

#include <windows.h>
#include <exdisp.h>
#include <shlobj.h>

#include "framework/com_object.h"
#include "framework/com_ptr.h"
#include "toolbar/band_toolbar.h"
#include "toolbar/toolbar_owner.h"

class CquillbarBand : public IObjectWithSite,
                      public IInputObject,
                      public IDeskBand,
                      public CComObjectRootEx,
                      public ToolBarOwner {
 public:
  CquillbarBand() = default;
  virtual ~CquillbarBand() = default;

  BEGIN_COM_MAP(CquillbarBand)
    COM_INTERFACE_ENTRY(IObjectWithSite)
    COM_INTERFACE_ENTRY(IInputObject)
    COM_INTERFACE_ENTRY(IDeskBand)
    COM_INTERFACE_ENTRY2(IOleWindow, IDeskBand)
    COM_INTERFACE_ENTRY2(IDockingWindow, IDeskBand)
  END_COM_MAP()

  // IObjectWithSite
  STDMETHOD(SetSite)(IUnknown* pUnkSite) override;
  STDMETHOD(GetSite)(REFIID riid, void** ppvSite) override;
  // IInputObject
  STDMETHOD(UIActivateIO)(BOOL fActivate, MSG* pMsg) override;
  STDMETHOD(HasFocusIO)() override;
  STDMETHOD(TranslateAcceleratorIO)(MSG* pMsg) override;
  // IOleWindow
  STDMETHOD(GetWindow)(HWND* phwnd) override;
  STDMETHOD(ContextSensitiveHelp)(BOOL fEnterMode) override;
  // IDockingWindow
  STDMETHOD(ShowDW)(BOOL fShow) override;
  STDMETHOD(CloseDW)(DWORD dwReserved) override;
  STDMETHOD(ResizeBorderDW)(LPCRECT prcBorder, IUnknown* punkToolbarSite, BOOL fReserved) override;
  // IDeskBand
  STDMETHOD(GetBandInfo)(DWORD dwBandID, DWORD dwViewMode, DESKBANDINFO* pdbi) override;

  // ToolBarOwner
  void FocusChange(bool bFocus) override;
  IWebBrowser2* WebBrowser() const override { return m_spWebBrowser; }
  IUnknown* BandUnknown() override { return GetUnknown(); }
  bool Sited() const override { return m_spSite != nullptr; }

 private:
  HRESULT TakeSite(IUnknown* pUnkSite);
  // Makes the hidden host window and the toolbar inside the site's window.
  bool CreateBandWindow();

  // Members are destroyed from the last: the host window, the toolbar, then the site and browser.
  CComPtr<IWebBrowser2> m_spWebBrowser;
  CComPtr<IInputObjectSite> m_spSite;
  HWND m_hwndParent = nullptr;
  CBandToolBar m_wndToolBar;
  CWnd m_wndHost;
};
