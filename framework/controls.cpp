#include "framework/controls.h"

#include "framework/module.h"

namespace {
void InitControlClasses(DWORD classes) {
  INITCOMMONCONTROLSEX init = {sizeof(init), classes};
  InitCommonControlsEx(&init);
}
}  // namespace

BOOL CToolBarCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  InitControlClasses(ICC_BAR_CLASSES);
  if (!CreateEx(0, TOOLBARCLASSNAMEA, nullptr, dwStyle, rect, pParentWnd->m_hWnd, nID)) return FALSE;
  SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
  return TRUE;
}

BOOL CComboBoxEx::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  InitControlClasses(ICC_USEREX_CLASSES);
  return CreateEx(0, WC_COMBOBOXEXA, nullptr, dwStyle, rect, pParentWnd->m_hWnd, nID);
}

BOOL CBitmap::LoadBitmap(UINT nID) {
  DeleteObject();
  m_hObject = ::LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nID));
  return m_hObject != nullptr;
}

BOOL CBitmap::DeleteObject() {
  if (!m_hObject) return FALSE;
  const BOOL deleted = ::DeleteObject(m_hObject);
  m_hObject = nullptr;
  return deleted;
}

HBITMAP CBitmap::Detach() {
  const HBITMAP hBitmap = m_hObject;
  m_hObject = nullptr;
  return hBitmap;
}

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow) {
  DeleteImageList();
  m_hImageList = ImageList_Create(cx, cy, nFlags, nInitial, nGrow);
  return m_hImageList != nullptr;
}

BOOL CImageList::Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask) {
  DeleteImageList();
  m_hImageList = ImageList_LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nBitmapID), cx, nGrow, crMask,
                                      IMAGE_BITMAP, 0);
  return m_hImageList != nullptr;
}

BOOL CImageList::DeleteImageList() {
  if (!m_hImageList) return FALSE;
  const BOOL destroyed = ImageList_Destroy(m_hImageList);
  m_hImageList = nullptr;
  return destroyed;
}

HIMAGELIST CImageList::Detach() {
  const HIMAGELIST hImageList = m_hImageList;
  m_hImageList = nullptr;
  return hImageList;
}
