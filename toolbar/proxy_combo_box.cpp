#include "toolbar/proxy_combo_box.h"

#include <string>
#include <string_view>
#include <vector>

#include "broker/integrity_level.h"
#include "broker/list_refresh.h"
#include "framework/message_box.h"
#include "framework/modal_wait.h"
#include "proxylist/proxy_list_loader.h"
#include "res/resource.h"
#include "settings/registry_value.h"
#include "settings/settings_table.h"
#include "toolbar/band_toolbar.h"
#include "toolbar/toolbar_texts.h"

namespace {

constexpr int kItemTextCapacity = 260;
constexpr int kDroppedWidth = 200;

// Puts an item with `text` and the box's image 0 at `index` (-1: after the last).
void InsertProxyItem(CProxyComboBox& box, std::string_view text, int index, std::string& buffer) {
  buffer.assign(text.data(), text.size());  // the control wants a terminated text
  COMBOBOXEXITEMA item = {};
  item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_LPARAM;
  item.iItem = index;
  item.pszText = &buffer[0];
  item.cchTextMax = static_cast<int>(buffer.size());
  box.InsertItem(&item);
}

// Fills the box as fast as the control allows: room for every item made at once, and each item
// appended (the ComboBoxEx finds its place at the end at once, while one at the top walks past
// every item already there). A long list does not keep the browser's windows from answering
// other threads meanwhile.
class ComboBoxSink final : public ProxyItemSink {
 public:
  explicit ComboBoxSink(CProxyComboBox& box) : m_box(box) {}
  void Append(const std::vector<std::string_view>& texts) override {
    constexpr size_t kItemsBetweenAnswers = 500;
    size_t bytes = 0;
    for (std::string_view text : texts) bytes += text.size() + 1;
    ::SendMessageA(m_box.GetComboBoxCtrl(), CB_INITSTORAGE, texts.size(), bytes);
    std::string buffer;
    for (size_t i = 0; i < texts.size(); ++i) {
      InsertProxyItem(m_box, texts[i], -1, buffer);
      if (i % kItemsBetweenAnswers == kItemsBetweenAnswers - 1) AnswerSentMessages();
    }
  }

 private:
  CProxyComboBox& m_box;
};

}  // namespace

LRESULT CProxyComboBox::LoadProxyList(UINT, WPARAM, LPARAM, BOOL&) {
  if (Default() == -1) return -1;
  // Not drawn during the fill: the drop-down list would update its scroll range for every item.
  const HWND combo = GetComboBoxCtrl();
  ::SendMessageA(combo, WM_SETREDRAW, FALSE, 0);
  ComboBoxSink sink(*this);
  // A band that may not store the list (a low-integrity browser) has the broker refresh it.
  ::LoadProxyList(sink, kProxyListAddress, kListDownloadLimits,
                  WritesThroughBroker() ? RefreshListThroughBroker : nullptr);
  ::SendMessageA(combo, WM_SETREDRAW, TRUE, 0);
  ::SendMessageA(combo, CB_SETDROPPEDWIDTH, kDroppedWidth, 0);  // the list belongs to the inner box
  if (m_imageList.Create(IDB_PROXY_WORD, 32, 1, RGB(0, 0, 0))) {
    SendMessage(CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_imageList.m_hImageList));
  }
  return 0;
}

LRESULT CProxyComboBox::OnBeginEdit(int, LPNMHDR, BOOL&) {
  if (m_pBand) m_pBand->FocusChange(true);
  return 0;
}

bool CProxyComboBox::GetSelectedChoice(ProxyChoice& choice) const {
  const int index = GetCurSel();
  if (index == CB_ERR) return false;
  char text[kItemTextCapacity] = {};
  COMBOBOXEXITEMA item = {};
  item.mask = CBEIF_TEXT | CBEIF_LPARAM;
  item.iItem = index;
  item.pszText = text;
  item.cchTextMax = kItemTextCapacity;
  if (!GetItem(&item)) return false;  // nothing stale or undefined is tested
  text[kItemTextCapacity - 1] = '\0';
  choice = CutProxyItem(text);
  return true;
}

// A window closed during one of the waits switches nothing and tells nothing more.
LRESULT CProxyComboBox::OnProxyCloseUp(WORD, WORD, HWND, BOOL&) {
  ProxyChoice choice;
  if (!m_pToolBar || !GetSelectedChoice(choice)) return 0;
  if (ReadSetting(setting::kEnabled) != 1) return 0;

  const CommandScope command(m_pBand, m_hWnd);
  const int index = GetCurSel();
  AfxMessageBox(m_hWnd, ConfirmationText(choice).c_str(), kMessageCaption, MB_OK | MB_ICONINFORMATION);
  if (!command.WindowStillOpen()) return 0;
  const bool reachable = m_pToolBar->TestChosenProxy(m_hWnd, choice) != 0;
  if (!command.WindowStillOpen()) return 0;
  if (reachable) {
    // Success is told only once the settings took the proxy; the proxy in use before stays otherwise.
    // Another window may have switched the proxy off meanwhile: then nothing is switched back on.
    // A broker that did not answer in time may still switch: the state as it is is all there is to show.
    const SwitchResult result = m_pToolBar->SwitchChosenProxyOn(choice, ProxySwitch::Over);
    if (!command.WindowStillOpen()) return 0;
    if (result == SwitchResult::Done) {
      AfxMessageBox(m_hWnd, kProxyConnectedText, kMessageCaption, MB_OK | MB_ICONINFORMATION);
      if (!command.WindowStillOpen()) return 0;
      ::SendMessageA(GetComboBoxCtrl(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    } else if (IsRefusal(result)) {
      AfxMessageBox(m_hWnd, kProxyNotSetText, kMessageCaption, MB_OK | MB_ICONHAND);
      if (!command.WindowStillOpen()) return 0;
    }
  }
  m_pToolBar->ShowProxyState();
  return 0;
}

HRESULT CProxyComboBox::TranslateAcceleratorIO(MSG* pMsg) {
  if (!pMsg) return E_POINTER;
  const WPARAM key = pMsg->wParam;
  if (pMsg->message == WM_KEYUP && key == VK_RETURN) {
    std::string buffer;
    InsertProxyItem(*this, GetWindowText(), 0, buffer);
    ::SendMessageA(GetComboBoxCtrl(), CB_SETCURSEL, 0, 0);
    return S_OK;
  }
  const bool editingKey = key == VK_BACK ? (pMsg->message == WM_KEYUP || pMsg->message == WM_KEYDOWN)
                                         : ((key >= VK_END && key <= VK_DOWN) || key == VK_DELETE);
  if (!editingKey) return S_FALSE;
  TranslateMessage(pMsg);
  DispatchMessageA(pMsg);
  return S_OK;
}
