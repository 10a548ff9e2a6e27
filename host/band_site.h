// The place the browser gives a band: the window its own window lives in, the browser behind it
// (as the SID_SWebBrowserApp service), and the receiver of the band's focus changes.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <servprov.h>
#include <shlobj.h>

#include <vector>

#include "framework/com_ptr.h"
#include "host/host_browser.h"

class BandSite final : public IInputObjectSite, public IOleWindow, public IServiceProvider {
 public:
  // A new site in `window`, serving `browser` (may be nullptr: no browser); one reference for the
  // caller, nullptr when memory ran out.
  static CComPtr<BandSite> Create(HWND window, HostBrowser* browser);

  // Every fSetFocus the band reported through OnFocusChangeIS, oldest first.
  const std::vector<BOOL>& FocusChanges() const { return m_focusChanges; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IInputObjectSite
  STDMETHODIMP OnFocusChangeIS(IUnknown* punkObj, BOOL fSetFocus) override;

  // IOleWindow
  STDMETHODIMP GetWindow(HWND* phwnd) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL fEnterMode) override;

  // IServiceProvider
  STDMETHODIMP QueryService(REFGUID guidService, REFIID riid, void** ppv) override;

 private:
  BandSite(HWND window, HostBrowser* browser);
  ~BandSite() = default;

  LONG m_refs = 1;
  const HWND m_window;
  const CComPtr<HostBrowser> m_browser;
  std::vector<BOOL> m_focusChanges;
};
