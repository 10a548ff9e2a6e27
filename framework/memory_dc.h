// A memory device context compatible with another one, with a bitmap selected into it while it
// lives: on destruction the previous bitmap goes back, the bitmap is deleted unless it was only
// lent, and the context is deleted.
#pragma once

#include <windows.h>

class CMemoryDC {
 public:
  enum class Bitmap { Owned, Lent };

  CMemoryDC(HDC compatible, HBITMAP bitmap, Bitmap ownership = Bitmap::Owned)
      : m_hDC(CreateCompatibleDC(compatible)), m_hBitmap(bitmap), m_ownership(ownership) {
    if (m_hDC && m_hBitmap) m_hPrevious = SelectObject(m_hDC, m_hBitmap);
  }
  ~CMemoryDC() {
    if (m_hPrevious) SelectObject(m_hDC, m_hPrevious);
    if (m_hBitmap && m_ownership == Bitmap::Owned) DeleteObject(m_hBitmap);
    if (m_hDC) DeleteDC(m_hDC);
  }
  CMemoryDC(const CMemoryDC&) = delete;
  CMemoryDC& operator=(const CMemoryDC&) = delete;

  // False when the context or the bitmap could not be made, or the bitmap not selected.
  explicit operator bool() const { return m_hPrevious != nullptr; }
  operator HDC() const { return m_hDC; }
  HBITMAP GetBitmap() const { return m_hBitmap; }

 private:
  const HDC m_hDC;
  const HBITMAP m_hBitmap;
  const Bitmap m_ownership;
  HGDIOBJ m_hPrevious = nullptr;
};
