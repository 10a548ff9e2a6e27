// The proxy switch lock held by a thread of its own while the object lives, as by a switch that is stuck.
// The thread lets it go by itself after 20 s, four times as long as a switch waits for it, so that a
// wait without a bound ends within the test, which then fails here.
#pragma once
#include <gtest/gtest.h>
#include <chrono>
#include <future>
#include <thread>
#include "connection/proxy_switch_lock.h"

class HeldSwitchLock {
 public:
  HeldSwitchLock() : m_thread([this] {
      const ProxySwitchLock lock;
      m_held.set_value(lock.Held());
      m_outwaited = m_release.get_future().wait_for(std::chrono::seconds(20)) == std::future_status::timeout;
    }) {
    EXPECT_TRUE(m_held.get_future().get());
  }
  ~HeldSwitchLock() {
    m_release.set_value(), m_thread.join();
    EXPECT_FALSE(m_outwaited) << "a switch waited for the lock until its holder let go after 20 s";
  }

 private:
  std::promise<bool> m_held;
  std::promise<void> m_release;
  bool m_outwaited = false;
  std::thread m_thread;
};
