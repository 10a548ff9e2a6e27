#include "toolbar/band_toolbar.h"

#include <winsock2.h>
#include <exdisp.h>

#include "build_config.h"
#include "connection/host_address.h"
#include "connection/proxy_reachability.h"
#include "framework/module.h"
#include "res/resource.h"
#include "settings/registry_value.h"
#include "settings/settings_table.h"
#include "toolbar/toolbar_texts.h"

namespace {

constexpr DWORD kToolBarStyle = 0x5401995D;
constexpr DWORD kLogoStyle = WS_CHILD | WS_VISIBLE | SS_BITMAP;
constexpr DWORD kComboStyle = WS_CHILD | WS_VISIBLE | WS_HSCROLL | CBS_AUTOHSCROLL | CBS_DROPDOWN;
constexpr DWORD kLabelStyle = WS_CHILD | WS_VISIBLE | SS_LEFT | 0x20;
constexpr int kToggleButtonIndex = 3;
constexpr int kLogoWidth = 230;
constexpr int kSlotWidth = 300;
constexpr int kOpenListHeight = 200;
constexpr COLORREF kImageMask = RGB(255, 255, 255);
constexpr wchar_t kHelpPageAddress[] = L"http://" QUILLMASK_HELP_HOST L"/quillmaskhelp.asp";

// The toggle's image and text: a globe that is lit with "Disable" while a proxy is in use.
struct ToggleLook {
  int image;
  INT_PTR text;  // index in kButtonTexts
};
constexpr ToggleLook kProxyInUseLook = {0, kDisableTextIndex};
constexpr ToggleLook kNoProxyLook = {1, kEnableTextIndex};

// The image list made from a strip of four 22 x 20 images; nullptr when it cannot be made.
HIMAGELIST LoadStrip(UINT bitmapId) {
  CBitmap bitmap;
  CImageList images;
  if (!bitmap.LoadBitmap(bitmapId) || !images.Create(22, 20, ILC_COLORDDB | ILC_MASK, 4, 1) ||
      images.Add(&bitmap, kImageMask) == -1) {
    return nullptr;
  }
  return images.Detach();
}

// The machine's first IPv4 address, or "Unkwon IP".
std::string LocalAddress() {
  std::string address = "Unkwon IP";
  WSADATA data;
  if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return address;
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof(name);
  in_addr first;
  if (GetComputerNameA(name, &size) && FirstIPv4Address(name, first)) address = inet_ntoa(first);
  WSACleanup();
  return address;
}

// "Enabled" as the registry says now: not 0 while the toolbar's proxy is in use, exactly 1 where a
// proxy chosen in the box replaces it.
DWORD EnabledNow() { return ReadSetting(setting::kEnabled); }
bool ProxyInUse() { return EnabledNow() != 0; }

}  // namespace

// Destroyed here, while the object is still a CBandToolBar, so that OnDestroy runs.
CBandToolBar::~CBandToolBar() { DestroyWindow(); }

LRESULT CBandToolBar::OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
  // Neither the static control nor the toolbar frees the images it was handed: they go here, with
  // the toolbar's window however it is destroyed (alone, or with the window it lives in).
  const HBITMAP logo = m_wndLogo.m_hWnd ? m_wndLogo.GetBitmap() : nullptr;
  const HIMAGELIST normal = reinterpret_cast<HIMAGELIST>(SendMessage(TB_GETIMAGELIST));
  const HIMAGELIST hot = reinterpret_cast<HIMAGELIST>(SendMessage(TB_GETHOTIMAGELIST));
  m_wndLogo.DestroyWindow();
  const LRESULT result = Default();
  if (logo) DeleteObject(logo);
  if (normal) ImageList_Destroy(normal);
  if (hot) ImageList_Destroy(hot);
  return result;
}

RECT CBandToolBar::ItemRect(int index) const {
  RECT rect = {};
  GetItemRect(index, &rect);
  return rect;
}

BOOL CBandToolBar::AddImages() {
  const HIMAGELIST normal = LoadStrip(IDB_TOOLBAR_NORMAL);
  if (!normal) return FALSE;
  SendMessage(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(normal));
  // Reserves the four image indices; the images themselves are in the list. Its result is not
  // decisive: some comctl32 versions (Wine's) refuse a call that names no bitmap.
  TBADDBITMAP none = {nullptr, 0};
  SendMessage(TB_ADDBITMAP, 4, reinterpret_cast<LPARAM>(&none));

  const HIMAGELIST hot = LoadStrip(IDB_TOOLBAR_HOT);
  if (!hot) return FALSE;
  SendMessage(TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(hot));
  TBADDBITMAP small = {AfxGetResourceHandle(), IDB_TOOLBAR_SMALL};
  return SendMessage(TB_ADDBITMAP, 4, reinterpret_cast<LPARAM>(&small)) != -1;
}

BOOL CBandToolBar::AddButtons() {
  const ToggleLook toggle = ProxyInUse() ? kProxyInUseLook : kNoProxyLook;
  const TBBUTTON buttons[] = {
      {kLogoWidth, static_cast<int>(-1), TBSTATE_ENABLED, TBSTYLE_SEP, {}, 0, -1},
      {2, static_cast<int>(ID_HELP_PAGE), TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, kHelpTextIndex},
      {3, static_cast<int>(ID_UPDATE_PROXY_LIST), TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, kUpdateTextIndex},
      {toggle.image, static_cast<int>(ID_PROXY_TOGGLE), TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, toggle.text},
      {kSlotWidth, static_cast<int>(-1), TBSTATE_ENABLED, TBSTYLE_SEP, {}, 0, -1},
      {kSlotWidth, static_cast<int>(-1), TBSTATE_ENABLED, TBSTYLE_SEP, {}, 0, -1},
  };
  SendMessage(TB_ADDSTRINGA, 0, reinterpret_cast<LPARAM>(kButtonTexts));
  return SendMessage(TB_ADDBUTTONSA, sizeof(buttons) / sizeof(buttons[0]), reinterpret_cast<LPARAM>(buttons)) != 0;
}

BOOL CBandToolBar::AddLogo(const RECT& rect) {
  const RECT logoSlot = ItemRect(0);
  if (!m_wndLogo.Create(nullptr, kLogoStyle, {logoSlot.left, rect.top + 3, logoSlot.left + kLogoWidth, rect.bottom},
                        this, IDC_LOGO)) {
    return FALSE;
  }
  if (m_bmpLogo.LoadBitmap(IDB_LOGO)) m_wndLogo.SetBitmap(m_bmpLogo.Detach());
  return TRUE;
}

BOOL CBandToolBar::CreateToolBar(const RECT& rect, CWnd* pParentWnd, ToolBarOwner* pBand, const BandWriter& writer) {
  m_writer = writer;
  if (!Create(kToolBarStyle, rect, pParentWnd, IDC_TOOLBAR)) return FALSE;
  SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(30, 20));
  SendMessage(TB_SETBUTTONSIZE, 0, MAKELPARAM(40, 20));
  if (!AddImages()) return FALSE;
  SendMessage(TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_MIXEDBUTTONS);
  if (!AddButtons()) return FALSE;

  if (!AddLogo(rect)) return FALSE;

  const RECT comboSlot = ItemRect(4);
  m_wndProxyCombo.SetListRefresh(writer.refreshList);
  if (!m_wndProxyCombo.Create(kComboStyle,
                              {comboSlot.left, rect.top, comboSlot.left + kSlotWidth, rect.bottom + kOpenListHeight},
                              this, IDC_PROXY_COMBO)) {
    return FALSE;
  }

  const RECT labelSlot = ItemRect(5);
  const std::string localIP = LocalAddress() + " [Local IP]";
  WriteSetting(setting::kLocalIP, localIP);
  const std::string text = StatusLabelText(ReadSetting(setting::kActiveIP), localIP);
  if (!m_wndIpLabel.Create(text.c_str(), kLabelStyle,
                           {labelSlot.left, rect.top, labelSlot.left + kSlotWidth, rect.bottom}, this, IDC_IP_LABEL)) {
    return FALSE;
  }
  m_pBand = pBand;
  m_wndProxyCombo.SetProxyChosenHandler([this](const ProxyChoice& choice, int index) { OnProxyChosen(choice, index); });
  m_wndProxyCombo.SetBeginEditHandler([this] { OnBeginEdit(); });
  return TRUE;
}

void CBandToolBar::ShowProxyState() {
  const bool inUse = ProxyInUse();
  if (inUse != ToggleLooksInUse()) SetToggleLook(inUse);
  m_wndIpLabel.SetWindowText(StatusLabelText(ReadSetting(setting::kActiveIP), ReadSetting(setting::kLocalIP)));
}

LRESULT CBandToolBar::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&) {
  const int height = HIWORD(lParam);
  const int toggleRight = ItemRect(kToggleButtonIndex).right;
  if (m_wndProxyCombo.m_hWnd) m_wndProxyCombo.MoveWindow(toggleRight + 3, 0, kSlotWidth, height);
  if (m_wndIpLabel.m_hWnd) m_wndIpLabel.MoveWindow(toggleRight + 3 + kSlotWidth + 3, 4, kSlotWidth, height - 8);
  return 0;
}

LRESULT CBandToolBar::OnKeyDown(UINT, WPARAM, LPARAM, BOOL&) { return Default(); }

HRESULT CBandToolBar::TranslateAcceleratorIO(MSG* pMsg) {
  const HWND focus = GetFocus();
  if (focus && (focus == m_wndProxyCombo.GetEditCtrl() || focus == m_wndProxyCombo.m_hWnd)) {
    return m_wndProxyCombo.TranslateAcceleratorIO(pMsg);
  }
  return S_FALSE;
}

void CBandToolBar::UIActivateIO() {
  if (m_wndProxyCombo.m_hWnd) ::SetFocus(m_wndProxyCombo.GetEditCtrl());
}

HRESULT CBandToolBar::HasFocusIO() const {
  if (!m_wndProxyCombo.m_hWnd) return S_FALSE;
  const HWND focus = ::GetFocus();
  if (focus && (focus == m_wndProxyCombo.GetEditCtrl() || focus == m_wndProxyCombo.m_hWnd)) return S_OK;
  return ::SendMessageA(m_wndProxyCombo.GetComboBoxCtrl(), CB_GETDROPPEDSTATE, 0, 0) ? S_OK : S_FALSE;
}

LRESULT CBandToolBar::OnSetCursor(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  if (!Busy()) {
    bHandled = FALSE;
    return 0;
  }
  SetCursor(LoadCursor(nullptr, IDC_WAIT));  // over the toolbar and its (disabled) controls
  return TRUE;
}

LRESULT CBandToolBar::OnButtonClicked(WORD, WORD wID, HWND, BOOL&) {
  const CommandScope command(m_pBand, m_hWnd);
  switch (wID) {
    case ID_PROXY_TOGGLE:
      ToggleProxy(command);
      break;
    case ID_HELP_PAGE:
      OpenHelpPage();
      break;
    case ID_UPDATE_PROXY_LIST:
      RequestListRefresh();
      break;
    default:
      break;
  }
  return 0;
}

// The click asks for the opposite of what the toggle shows. Where another window has already done
// that meanwhile, the toggle only catches up: undoing the other window's switch is not what the
// user asked for.
void CBandToolBar::ToggleProxy(const CommandScope& command) {
  const bool inUse = ProxyInUse();
  if (inUse != ToggleLooksInUse()) {
    ShowProxyState();
  } else if (!inUse) {
    EnableChosenProxy(command);
  } else {
    const SwitchResult result = WhileBusy(m_writer.DisableConnectionProxy);
    if (IsRefusal(result) && command.WindowStillOpen()) {
      TellProxyNotRemoved(m_hWnd);  // the proxy is still in use: so says everything the toolbar shows
    }
    if (command.WindowStillOpen()) ShowProxyState();
  }
  if (command.WindowStillOpen()) ::SetFocus(m_wndProxyCombo.m_hWnd);
}

void CBandToolBar::EnableChosenProxy(const CommandScope& command) {
  ProxyChoice choice;
  if (!m_wndProxyCombo.GetSelectedChoice(choice)) return;
  SetToggleLook(true);  // the button reads "Disable" while the proxy is tested
  SwitchToChosenProxy(command, m_hWnd, choice, ProxySwitch::On);
  if (command.WindowStillOpen()) ShowProxyState();
}

// The proxy selection flow: while the proxy is switched on, a proxy chosen in the box replaces it.
void CBandToolBar::OnProxyChosen(const ProxyChoice& choice, int index) {
  if (EnabledNow() != 1) return;
  const CommandScope command(m_pBand, m_hWnd);
  const bool switched = SwitchToChosenProxy(command, m_wndProxyCombo.m_hWnd, choice, ProxySwitch::Over);
  if (!command.WindowStillOpen()) return;
  if (switched) m_wndProxyCombo.SetCurSel(index);
  ShowProxyState();
}

void CBandToolBar::OnBeginEdit() { m_pBand->FocusChange(true); }

// Confirms, tests and switches, telling the user in boxes that `owner` owns. Success is told only
// once the settings took the proxy; the proxy in use before stays otherwise. A window closed during
// one of the waits switches nothing and tells nothing more. True once the proxy is in use.
bool CBandToolBar::SwitchToChosenProxy(const CommandScope& command, HWND owner, const ProxyChoice& choice,
                                       ProxySwitch kind) {
  ConfirmProxyTest(owner, choice);
  if (!command.WindowStillOpen()) return false;
  const bool reachable = WhileBusy([&] {
    if (TestProxy(choice.host.c_str(), static_cast<unsigned int>(choice.port)) != 0) return true;
    if (command.WindowStillOpen()) TellProxyUnavailable(owner);
    return false;
  });
  if (!reachable || !command.WindowStillOpen()) return false;
  const SwitchResult result = WhileBusy([&] { return m_writer.SetConnectionOptions(choice.address.c_str(), kind); });
  if (!command.WindowStillOpen()) return false;
  TellProxySwitched(owner, result);
  return result == SwitchResult::Done;
}

void CBandToolBar::SetBusy(bool busy) {
  for (UINT command : {ID_HELP_PAGE, ID_UPDATE_PROXY_LIST, ID_PROXY_TOGGLE}) {
    SendMessage(TB_ENABLEBUTTON, command, MAKELPARAM(!busy, 0));
  }
  ::EnableWindow(m_wndProxyCombo.m_hWnd, !busy);
  POINT cursor = {};
  const HWND under = GetCursorPos(&cursor) ? WindowFromPoint(cursor) : nullptr;
  if (under && (under == m_hWnd || IsChild(m_hWnd, under))) {  // no need to wait for the mouse to move
    SetCursor(LoadCursor(nullptr, busy ? IDC_WAIT : IDC_ARROW));
  }
}

bool CBandToolBar::ToggleLooksInUse() const {
  TBBUTTON button = {};
  return SendMessage(TB_GETBUTTON, kToggleButtonIndex, reinterpret_cast<LPARAM>(&button)) &&
         button.iString == kProxyInUseLook.text;
}

void CBandToolBar::SetToggleLook(bool proxyInUse) {
  const ToggleLook look = proxyInUse ? kProxyInUseLook : kNoProxyLook;
  TBBUTTON button = {};
  if (!SendMessage(TB_GETBUTTON, kToggleButtonIndex, reinterpret_cast<LPARAM>(&button))) return;
  button.iBitmap = look.image;
  button.iString = look.text;
  SendMessage(TB_DELETEBUTTON, kToggleButtonIndex);
  SendMessage(TB_INSERTBUTTONA, kToggleButtonIndex, reinterpret_cast<LPARAM>(&button));
}

void CBandToolBar::OpenHelpPage() {
  IWebBrowser2* const browser = m_pBand ? m_pBand->WebBrowser() : nullptr;
  if (browser) {  // with no browser to show it in, the page opens nowhere
    VARIANT address;
    VariantInit(&address);
    address.vt = VT_BSTR;
    address.bstrVal = SysAllocString(kHelpPageAddress);
    if (address.bstrVal) {
      VARIANT empty;
      VariantInit(&empty);
      browser->Navigate2(&address, &empty, &empty, &empty, &empty);
      VariantClear(&empty);
    }
    VariantClear(&address);
  }
  ::SetFocus(m_wndProxyCombo.m_hWnd);
}

void CBandToolBar::RequestListRefresh() {
  WriteSetting(setting::kUpdateProxy, 1);
  TellListRefreshComing(m_hWnd);
}
