// Thin wrappers of the standard controls and GDI objects the toolbar uses. Control wrappers keep
// no state of their own: everything lives in the control. Handle wrappers own their handle until
// Detach hands it over.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/wnd.h"

class CToolBarCtrl : public CWnd {
 public:
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  BOOL GetItemRect(int nIndex, RECT* pRect) const {
    return static_cast<BOOL>(SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(pRect)));
  }
};

class CComboBoxEx : public CWnd {
 public:
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  int InsertItem(const COMBOBOXEXITEMA* pItem) {
    return static_cast<int>(SendMessage(CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(pItem)));
  }
  BOOL GetItem(COMBOBOXEXITEMA* pItem) const {
    return static_cast<BOOL>(SendMessage(CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(pItem)));
  }
  HWND GetComboBoxCtrl() const { return reinterpret_cast<HWND>(SendMessage(CBEM_GETCOMBOCONTROL)); }
  HWND GetEditCtrl() const { return reinterpret_cast<HWND>(SendMessage(CBEM_GETEDITCONTROL)); }
};

class CStatic : public CWnd {
 public:
  BOOL Create(const char* text, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CreateEx(0, "Static", text, dwStyle, rect, pParentWnd->m_hWnd, nID);
  }
  HBITMAP SetBitmap(HBITMAP hBitmap) {
    return reinterpret_cast<HBITMAP>(SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(hBitmap)));
  }
  HBITMAP GetBitmap() const { return reinterpret_cast<HBITMAP>(SendMessage(STM_GETIMAGE, IMAGE_BITMAP)); }
};

class CBitmap {
 public:
  CBitmap() = default;
  ~CBitmap() { DeleteObject(); }
  CBitmap(const CBitmap&) = delete;
  CBitmap& operator=(const CBitmap&) = delete;

  // Loads a bitmap resource of the module.
  BOOL LoadBitmap(UINT nID);
  BOOL DeleteObject();
  HBITMAP Detach();
  HBITMAP m_hObject = nullptr;
};

class CImageList {
 public:
  CImageList() = default;
  ~CImageList() { DeleteImageList(); }
  CImageList(const CImageList&) = delete;
  CImageList& operator=(const CImageList&) = delete;

  BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
  // From a bitmap resource of the module cut into images `cx` wide.
  BOOL Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask);
  // Adds the images of `bitmap`, `crMask` marking the transparent pixels; -1 on failure.
  int Add(CBitmap* pBitmap, COLORREF crMask) { return ImageList_AddMasked(m_hImageList, pBitmap->m_hObject, crMask); }
  BOOL DeleteImageList();
  HIMAGELIST Detach();
  HIMAGELIST m_hImageList = nullptr;
};
