// The logo over the toolbar's first slot: its bitmap drawn with pure white transparent, so the
// toolbar shows through the logo's background.
#pragma once

#include "framework/controls.h"

using MaskBltFunc = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, HBITMAP, int, int, DWORD);

// The logo draws through here; it defaults to MaskBlt. A function that fails makes the logo compose
// the same picture by hand, as it does where MaskBlt is not available. Returns the one replaced.
MaskBltFunc ReplaceMaskBlt(MaskBltFunc func);

class CLogoStatic : public CStatic {
 public:
  BEGIN_MSG_MAP(CLogoStatic)
    MESSAGE_HANDLER(WM_PAINT, OnPaint)
  END_MSG_MAP()

 private:
  LRESULT OnPaint(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
};
