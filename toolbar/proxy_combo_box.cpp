#include "toolbar/proxy_combo_box.h"

#include <string>
#include <string_view>
#include <vector>

#include "framework/modal_wait.h"
#include "res/resource.h"

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
  ::LoadProxyList(sink, kProxyListAddress, kListDownloadLimits, m_listRefresh);
  ::SendMessageA(combo, WM_SETREDRAW, TRUE, 0);
  ::SendMessageA(combo, CB_SETDROPPEDWIDTH, kDroppedWidth, 0);  // the list belongs to the inner box
  if (m_imageList.Create(IDB_PROXY_WORD, 32, 1, RGB(0, 0, 0))) {
    SendMessage(CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_imageList.m_hImageList));
  }
  return 0;
}

LRESULT CProxyComboBox::OnBeginEdit(int, LPNMHDR, BOOL&) {
  if (m_beginEdit) m_beginEdit();
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

LRESULT CProxyComboBox::OnProxyCloseUp(WORD, WORD, HWND, BOOL&) {
  ProxyChoice choice;
  if (!m_proxyChosen || !GetSelectedChoice(choice)) return 0;
  const ProxyChosenHandler chosen = m_proxyChosen;  // the box may go when the handler's command ends
  chosen(choice, GetCurSel());
  return 0;
}

HRESULT CProxyComboBox::TranslateAcceleratorIO(MSG* pMsg) {
  if (!pMsg) return E_POINTER;
  const WPARAM key = pMsg->wParam;
  if (pMsg->message == WM_KEYUP && key == VK_RETURN) {
    std::string buffer;
    InsertProxyItem(*this, GetWindowText(), 0, buffer);
    SetCurSel(0);
    return S_OK;
  }
  const bool editingKey = key == VK_BACK ? (pMsg->message == WM_KEYUP || pMsg->message == WM_KEYDOWN)
                                         : ((key >= VK_END && key <= VK_DOWN) || key == VK_DELETE);
  if (!editingKey) return S_FALSE;
  TranslateMessage(pMsg);
  DispatchMessageA(pMsg);
  return S_OK;
}
