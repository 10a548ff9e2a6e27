// The band's controls as a user drives and sees them: a toolbar button clicked, the proxy box's
// items read back.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <string>

// The text of item `index` of the ComboBoxEx `box`; empty when there is no such item.
inline std::string ComboBoxExItemText(HWND box, int index) {
  char text[512] = {};
  COMBOBOXEXITEMA item = {CBEIF_TEXT, index, text, sizeof(text), 0, 0, 0, 0, 0};
  SendMessageA(box, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return text;
}

// Clicks the button of `command` in the toolbar `toolBar` in its middle, as a user's mouse does.
inline void ClickToolBarButton(HWND toolBar, UINT command) {
  RECT button = {};
  SendMessageA(toolBar, TB_GETRECT, command, reinterpret_cast<LPARAM>(&button));
  const LPARAM at = MAKELPARAM((button.left + button.right) / 2, (button.top + button.bottom) / 2);
  SendMessageA(toolBar, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(toolBar, WM_LBUTTONUP, 0, at);
}
