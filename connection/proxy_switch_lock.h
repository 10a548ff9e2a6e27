// Switching the toolbar's proxy on, over or off is one step for all of the user's browser windows,
// on every thread and in every process of the session: reading the connections' options, keeping
// the user's own copy, writing the options and writing the toolbar's state happen under this lock.
// It is never held across a message box or the proxy test.
#pragma once

#include <windows.h>

class ProxySwitchLock {
 public:
  // Waits a few seconds at most for another window's switch to finish.
  ProxySwitchLock();
  ~ProxySwitchLock();
  ProxySwitchLock(const ProxySwitchLock&) = delete;
  ProxySwitchLock& operator=(const ProxySwitchLock&) = delete;

  // False (with the error in GetLastError) when the lock could not be had: nothing may be switched.
  bool Held() const { return m_bHeld; }

 private:
  HANDLE m_hMutex;
  bool m_bHeld = false;
};
