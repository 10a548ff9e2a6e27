// Reading a ComboBoxEx's items back, as a test sees the proxy box.
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
