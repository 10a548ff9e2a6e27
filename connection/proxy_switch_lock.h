// Switching the toolbar's proxy on, over or off is one step for all of the user's browser windows,
// on every thread and in every process of the session: reading the connections' options, keeping
// the user's own copy, writing the options and writing the toolbar's state happen under this lock.
// It is never held across a message box or the proxy test.
//
// Only the user's processes at medium integrity or above can make or hold it: a page that took over
// a low-integrity tab could otherwise hold it and so keep the user from switching the proxy off.
// It is a mutex in a private namespace whose boundary carries the user and the medium integrity
// level, both with a label that keeps lower levels out. Where the system has no private namespaces
// (Wine), it is the session's mutex "Local\Quillmask.ProxySwitch" with the same security, taken
// only when the one found is the user's.
#pragma once

#include <windows.h>

class ProxySwitchLock {
 public:
  // Waits a few seconds at most for another window's switch to finish, the thread handling its
  // messages meanwhile as a modal dialog does (see WaitModally). Memory running out is passed on
  // as std::bad_alloc, with nothing held.
  ProxySwitchLock();
  ~ProxySwitchLock();
  ProxySwitchLock(const ProxySwitchLock&) = delete;
  ProxySwitchLock& operator=(const ProxySwitchLock&) = delete;

  // False when the lock could not be had (another switch held it throughout, or the lock found is
  // not the user's), and nothing may be switched.
  bool Held() const { return m_bHeld; }

 private:
  bool Acquire();
  void Close();

  HANDLE m_hNamespace = nullptr;  // kept open while the lock is: the namespace lasts while anyone has it
  BOOLEAN(WINAPI* m_closeNamespace)(HANDLE, ULONG) = nullptr;  // ClosePrivateNamespace, found with the others
  HANDLE m_hMutex = nullptr;
  bool m_bHeld = false;
};
