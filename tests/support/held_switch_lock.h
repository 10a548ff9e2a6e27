// The proxy switch lock held by a thread of its own while the object lives, as by a switch that is stuck.
#pragma once
#include <gtest/gtest.h>
#include <future>
#include <thread>
#include "connection/proxy_switch_lock.h"

class HeldSwitchLock {
 public:
  HeldSwitchLock() : m_thread([this] {
      const ProxySwitchLock lock;
      m_held.set_value(lock.Held());
      m_release.get_future().wait();
    }) {
    EXPECT_TRUE(m_held.get_future().get());
  }
  ~HeldSwitchLock() { m_release.set_value(), m_thread.join(); }
  HeldSwitchLock(const HeldSwitchLock&) = delete;
  HeldSwitchLock& operator=(const HeldSwitchLock&) = delete;

 private:
  std::promise<bool> m_held;
  std::promise<void> m_release;
  std::thread m_thread;
};
