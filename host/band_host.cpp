#include "host/band_host.h"

#include <cstring>
#include <string>

namespace {

constexpr wchar_t kBandProgId[] = L"quillbar.quillbarBand";
constexpr char kToolbarListKey[] = "Software\\Microsoft\\Internet Explorer\\Toolbar";
constexpr char kToolbarListData[] = "Quillmask";
constexpr DWORD kAllBandInfo =
    DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL | DBIM_TITLE | DBIM_MODEFLAGS | DBIM_BKCOLOR;

// The class id of a toolbar list value named "{...}" with the data "Quillmask".
bool ClsidOfToolbarValue(const char* name, DWORD type, const char* data, DWORD size, CLSID* clsid) {
  if (type != REG_SZ || std::string(data, strnlen(data, size)) != kToolbarListData) return false;
  wchar_t wideName[64] = {};
  return MultiByteToWideChar(CP_ACP, 0, name, -1, wideName, sizeof(wideName) / sizeof(wideName[0])) != 0 &&
         SUCCEEDED(CLSIDFromString(wideName, clsid));
}

}  // namespace

HRESULT FindBandClsid(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  if (SUCCEEDED(CLSIDFromProgID(kBandProgId, clsid))) return S_OK;

  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kToolbarListKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return REGDB_E_CLASSNOTREG;
  }
  HRESULT result = REGDB_E_CLASSNOTREG;
  for (DWORD index = 0;; ++index) {
    char name[256];
    char data[256];
    DWORD nameSize = sizeof(name);
    DWORD dataSize = sizeof(data);
    DWORD type = REG_NONE;
    const LONG status =
        RegEnumValueA(key, index, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status == ERROR_SUCCESS && ClsidOfToolbarValue(name, type, data, dataSize, clsid)) {
      result = S_OK;
      break;
    }
  }
  RegCloseKey(key);
  return result;
}

BandHost::BandHost(HostBrowser::NavigationCallback onNavigate) : m_onNavigate(std::move(onNavigate)) {}

BandHost::~BandHost() { Close(); }

HRESULT BandHost::Open(HWND frame, REFCLSID clsid) {
  CComPtr<IDeskBand> band;
  const HRESULT result =
      CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDeskBand, reinterpret_cast<void**>(&band));
  return FAILED(result) ? result : Open(frame, band);
}

HRESULT BandHost::Open(HWND frame, IDeskBand* band) {
  if (m_deskBand) return E_UNEXPECTED;
  const HRESULT result = OpenBand(frame, band);
  if (FAILED(result)) Close();
  return result;
}

HRESULT BandHost::OpenBand(HWND frame, IDeskBand* band) {
  if (!IsWindow(frame) || !band) return E_INVALIDARG;
  m_frame = frame;
  m_browser = HostBrowser::Create(m_onNavigate);
  if (!m_browser) return E_OUTOFMEMORY;
  m_site = BandSite::Create(frame, m_browser);
  if (!m_site) return E_OUTOFMEMORY;

  m_deskBand = band;
  CComPtr<IObjectWithSite> objectWithSite;
  HRESULT result = m_deskBand.QueryInterface(&objectWithSite);
  if (FAILED(result)) return result;
  result = objectWithSite->SetSite(static_cast<IInputObjectSite*>(m_site));
  if (FAILED(result)) return result;
  m_objectWithSite = objectWithSite;
  result = m_deskBand.QueryInterface(&m_inputObject);
  if (FAILED(result) && result != E_NOINTERFACE) return result;

  m_bandInfo = {};
  m_bandInfo.dwMask = kAllBandInfo;
  result = m_deskBand->GetBandInfo(0, DBIF_VIEWMODE_NORMAL, &m_bandInfo);
  if (FAILED(result)) return result;
  result = m_deskBand->GetWindow(&m_bandWindow);
  if (FAILED(result)) return result;
  if (!IsWindow(m_bandWindow)) return E_UNEXPECTED;
  // The browser's band row takes the band's window in as its own child, out of the window the
  // band made it in.
  if (!SetParent(m_bandWindow, frame)) return HRESULT_FROM_WIN32(GetLastError());

  // The browser gives the band its actual height, or its least when it names none.
  m_rowHeight = m_bandInfo.ptActual.y > 0 ? static_cast<int>(m_bandInfo.ptActual.y)
                                          : static_cast<int>(m_bandInfo.ptMinSize.y);
  if (m_rowHeight <= 0) {
    RECT bandRect = {};
    GetWindowRect(m_bandWindow, &bandRect);
    m_rowHeight = bandRect.bottom - bandRect.top;
  }
  FitToFrame();
  return m_deskBand->ShowDW(TRUE);
}

HRESULT BandHost::Close() {
  HRESULT result = S_OK;
  const auto keepFirstFailure = [&result](HRESULT step) {
    if (SUCCEEDED(result) && FAILED(step)) result = step;
  };
  if (m_deskBand) {
    keepFirstFailure(m_deskBand->ShowDW(FALSE));
    keepFirstFailure(m_deskBand->CloseDW(0));
  }
  if (m_objectWithSite) keepFirstFailure(m_objectWithSite->SetSite(nullptr));
  m_objectWithSite.Release();
  m_inputObject.Release();
  m_deskBand.Release();
  m_site.Release();
  m_browser.Release();
  m_bandWindow = nullptr;
  m_frame = nullptr;
  m_bandInfo = {};
  m_rowHeight = 0;
  return result;
}

HRESULT BandHost::TranslateAccelerator(MSG* msg) {
  if (!msg) return E_POINTER;
  if (!m_inputObject || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return S_FALSE;
  return m_inputObject->TranslateAcceleratorIO(msg);
}

HRESULT BandHost::UIActivate(BOOL activate) {
  if (!m_inputObject) return m_deskBand ? E_NOINTERFACE : E_UNEXPECTED;
  return m_inputObject->UIActivateIO(activate, nullptr);
}

HRESULT BandHost::HasFocus() const {
  if (!m_inputObject) return S_FALSE;
  return m_inputObject->HasFocusIO();
}

void BandHost::FitToFrame() const {
  RECT client = {};
  if (!m_bandWindow || !GetClientRect(m_frame, &client)) return;
  SetWindowPos(m_bandWindow, nullptr, 0, 0, client.right - client.left, m_rowHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}
