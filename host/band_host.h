// Hosts a toolbar band the way the browser does: creates the band object from its class, gives it
// a site in a frame window, moves its window into a row at the top of the frame and shows it, hands
// it keys and focus, and closes it again.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include "framework/com_ptr.h"
#include "host/band_site.h"
#include "host/host_browser.h"

// The band's class: through its ProgID, or else through the browser's toolbar list (a value named
// by the class id whose data is "Quillmask"). REGDB_E_CLASSNOTREG when neither names it.
HRESULT FindBandClsid(CLSID* clsid);

class BandHost {
 public:
  // `onNavigate` receives every address the band asks the browser to open.
  explicit BandHost(HostBrowser::NavigationCallback onNavigate = {});
  ~BandHost();
  BandHost(const BandHost&) = delete;
  BandHost& operator=(const BandHost&) = delete;

  // Creates the band of class `clsid` in `frame` and shows it. On failure nothing stays open and
  // the first failing call's HRESULT is returned; E_UNEXPECTED while a band is already open.
  HRESULT Open(HWND frame, REFCLSID clsid);
  // The same with a band object already made.
  HRESULT Open(HWND frame, IDeskBand* band);
  // Hides, closes and releases the band, and the site and browser made for it. Returns the first
  // failure the band reported, S_OK when none (or when nothing was open).
  HRESULT Close();

  // Offers a key message to the band; S_OK means the band handled it and it must not be
  // dispatched. S_FALSE for other messages or when no band is open.
  HRESULT TranslateAccelerator(MSG* msg);
  // Activates (TRUE) or deactivates the band for keyboard input.
  HRESULT UIActivate(BOOL activate);
  // S_OK while the band has the keyboard focus, S_FALSE when not.
  HRESULT HasFocus() const;

  // Places the band's window across the frame's client area at the band's row height.
  void FitToFrame() const;
  // The height of the band's row in the frame; 0 when no band is open.
  int RowHeight() const { return m_rowHeight; }

  // The band and the objects made for it while it is open; nullptr otherwise.
  IDeskBand* DeskBand() const { return m_deskBand; }
  HWND BandWindow() const { return m_bandWindow; }
  BandSite* Site() const { return m_site; }
  HostBrowser* Browser() const { return m_browser; }
  // What the band reported of itself when it was opened.
  const DESKBANDINFO& BandInfo() const { return m_bandInfo; }

 private:
  HRESULT OpenBand(HWND frame, IDeskBand* band);

  const HostBrowser::NavigationCallback m_onNavigate;
  HWND m_frame = nullptr;
  CComPtr<HostBrowser> m_browser;
  CComPtr<BandSite> m_site;
  CComPtr<IDeskBand> m_deskBand;
  CComPtr<IObjectWithSite> m_objectWithSite;  // set while the band holds our site
  CComPtr<IInputObject> m_inputObject;        // absent when the band takes no keyboard input
  HWND m_bandWindow = nullptr;
  DESKBANDINFO m_bandInfo = {};
  int m_rowHeight = 0;
};
