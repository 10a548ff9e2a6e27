#include "toolbar/logo_static.h"

namespace {

constexpr COLORREF kTransparent = RGB(255, 255, 255);
constexpr DWORD kLeaveDestination = 0x00AA0029;
// Leaves the destination where the mask is 1 (white in the image), copies the source where it is 0.
constexpr DWORD kMaskedCopy = MAKEROP4(kLeaveDestination, SRCCOPY);
constexpr DWORD kDestinationAndNotSource = 0x00220326;

// The same picture as the masked copy, composed in memory and put on the screen in one copy.
void ComposeMasked(HDC screen, HDC colour, HDC mask, int width, int height) {
  HDC composed = CreateCompatibleDC(screen);
  HBITMAP composedBitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = SelectObject(composed, composedBitmap);
  BitBlt(composed, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  BitBlt(composed, 0, 0, width, height, mask, 0, 0, SRCAND);
  BitBlt(colour, 0, 0, width, height, mask, 0, 0, kDestinationAndNotSource);
  BitBlt(composed, 0, 0, width, height, colour, 0, 0, SRCPAINT);
  BitBlt(screen, 0, 0, width, height, composed, 0, 0, SRCCOPY);
  SelectObject(composed, previous);
  DeleteObject(composedBitmap);
  DeleteDC(composed);
}

MaskBltFunc g_maskBlt = MaskBlt;

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
  HDC screen = BeginPaint(m_hWnd, &ps);
  RECT client;
  GetClientRect(m_hWnd, &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;

  HDC colour = CreateCompatibleDC(screen);
  HBITMAP colourBitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previousColour = SelectObject(colour, colourBitmap);
  HDC mask = CreateCompatibleDC(screen);
  HBITMAP maskBitmap = CreateBitmap(width, height, 1, 1, nullptr);
  HGDIOBJ previousMask = SelectObject(mask, maskBitmap);

  // The image on white: where the client area is larger than the image, it stays white.
  const COLORREF previousBk = SetBkColor(colour, kTransparent);
  ExtTextOutA(colour, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
  HDC source = CreateCompatibleDC(screen);
  HGDIOBJ previousSource = SelectObject(source, image);
  BitBlt(colour, 0, 0, width, height, source, 0, 0, SRCCOPY);
  SelectObject(source, previousSource);

  // Monochrome conversion: pixels of the source's background colour (white) become 1, others 0.
  BitBlt(mask, 0, 0, width, height, colour, 0, 0, SRCCOPY);

  if (!g_maskBlt(screen, 0, 0, width, height, colour, 0, 0, maskBitmap, 0, 0, kMaskedCopy)) {
    ComposeMasked(screen, colour, mask, width, height);
  }
  SetBkColor(colour, previousBk);

  SelectObject(mask, previousMask);
  SelectObject(colour, previousColour);
  DeleteDC(source);
  DeleteObject(maskBitmap);
  DeleteDC(mask);
  DeleteObject(colourBitmap);
  DeleteDC(colour);
  EndPaint(m_hWnd, &ps);
  return 0;
}
