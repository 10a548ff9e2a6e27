#include "connection/proxy_switch_lock.h"

namespace {
// The session's namespace: the user's processes of this logon share it.
constexpr char kMutexName[] = "Local\\Quillmask.ProxySwitch";
// A switch takes milliseconds; a holder that takes longer is stuck, and waiting on would hang the browser.
constexpr DWORD kWaitMs = 5000;
}  // namespace

ProxySwitchLock::ProxySwitchLock() : m_hMutex(CreateMutexA(nullptr, FALSE, kMutexName)) {
  if (!m_hMutex) return;
  const DWORD waited = WaitForSingleObject(m_hMutex, kWaitMs);
  // An abandoned lock is ours: its holder ended, and each switch reads afresh what it finds.
  m_bHeld = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  if (!m_bHeld) SetLastError(waited == WAIT_TIMEOUT ? ERROR_TIMEOUT : GetLastError());
}

ProxySwitchLock::~ProxySwitchLock() {
  if (m_bHeld) ReleaseMutex(m_hMutex);
  if (m_hMutex) CloseHandle(m_hMutex);
}
