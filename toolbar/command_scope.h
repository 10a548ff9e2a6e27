// A toolbar command that waits modally (a message box, the proxy test). Meanwhile the browser may
// close the window and let the band go: the band, with its windows' wrappers and the module's code,
// stays until the command is over, and the command asks after each wait whether its window is
// still open before it goes on.
#pragma once

#include <windows.h>

#include "framework/com_ptr.h"
#include "toolbar/toolbar_owner.h"

class CommandScope {
 public:
  CommandScope(ToolBarOwner* pBand, HWND hWnd) : m_pBand(pBand), m_hWnd(hWnd) {
    if (pBand) m_spBand = pBand->BandUnknown();
  }
  // False once the window is destroyed or the browser has closed the band: nothing more is done or
  // shown for it.
  bool WindowStillOpen() const { return ::IsWindow(m_hWnd) && m_pBand && m_pBand->Sited(); }

 private:
  ToolBarOwner* const m_pBand;
  const HWND m_hWnd;
  CComPtr<IUnknown> m_spBand;  // released last, when the command is over: it may delete the band
};
