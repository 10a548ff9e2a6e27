#include "toolbar/logo_static.h"

#include "framework/memory_dc.h"

namespace {

constexpr COLORREF kTransparent = RGB(255, 255, 255);
constexpr DWORD kLeaveDestination = 0x00AA0029;
// Leaves the destination where the mask is 1 (white in the image), copies the source where it is 0.
constexpr DWORD kMaskedCopy = MAKEROP4(kLeaveDestination, SRCCOPY);
constexpr DWORD kDestinationAndNotSource = 0x00220326;

MaskBltFunc g_maskBlt = MaskBlt;

// The same picture as the masked copy, composed in memory and put on the screen in one copy.
void ComposeMasked(HDC screen, HDC colour, HDC mask, int width, int height) {
  const CMemoryDC composed(screen, CreateCompatibleBitmap(screen, width, height));
  if (!composed) return;
  BitBlt(composed, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  BitBlt(composed, 0, 0, width, height, mask, 0, 0, SRCAND);
  BitBlt(colour, 0, 0, width, height, mask, 0, 0, kDestinationAndNotSource);
  BitBlt(composed, 0, 0, width, height, colour, 0, 0, SRCPAINT);
  BitBlt(screen, 0, 0, width, height, composed, 0, 0, SRCCOPY);
}

// Draws `image` at the top left of `client` on `screen` with pure white transparent, in one drawing
// operation on the screen.
void DrawLogo(HDC screen, HBITMAP image, const RECT& client) {
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  const CMemoryDC colour(screen, CreateCompatibleBitmap(screen, width, height));
  const CMemoryDC mask(screen, CreateBitmap(width, height, 1, 1, nullptr));
  if (!colour || !mask) return;

  // The image on white: where the client area is larger than the image, it stays white.
  const COLORREF previousBk = SetBkColor(colour, kTransparent);
  ExtTextOutA(colour, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
  {
    const CMemoryDC source(screen, image, CMemoryDC::Bitmap::Lent);
    BitBlt(colour, 0, 0, width, height, source, 0, 0, SRCCOPY);
  }

  // Monochrome conversion: pixels of the source's background colour (white) become 1, others 0.
  BitBlt(mask, 0, 0, width, height, colour, 0, 0, SRCCOPY);

  if (!g_maskBlt(screen, 0, 0, width, height, colour, 0, 0, mask.GetBitmap(), 0, 0, kMaskedCopy)) {
    ComposeMasked(screen, colour, mask, width, height);
  }
  SetBkColor(colour, previousBk);
}

}  // namespace

MaskBltFunc ReplaceMaskBlt(MaskBltFunc func) {
  const MaskBltFunc previous = g_maskBlt;
  g_maskBlt = func ? func : MaskBlt;
  return previous;
}

LRESULT CLogoStatic::OnPaint(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  const HBITMAP image = GetBitmap();
  if (!image) {
    bHandled = FALSE;
    return 0;
  }
  PAINTSTRUCT ps;
  const HDC screen = BeginPaint(m_hWnd, &ps);
  RECT client = {};
  if (screen && GetClientRect(m_hWnd, &client)) DrawLogo(screen, image, client);
  EndPaint(m_hWnd, &ps);
  return 0;
}
