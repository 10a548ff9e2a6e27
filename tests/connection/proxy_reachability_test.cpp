// TestProxy against real sockets on loopback.
#include "connection/proxy_reachability.h"
#include <gtest/gtest.h>
#include "framework/wnd.h"
#include "tests/support/loopback.h"
#include "tests/support/message_box_answerer.h"

// The value the next new handle gets. Freed handle slots are reused, so a handle leaked in between
// (a socket is one) moves it on. Wine cannot count a process's handles (GetProcessHandleCount).
HANDLE NextHandleValue() {
  const HANDLE probe = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  CloseHandle(probe);
  return probe;
}

TEST(TestProxyTest, ReachableProxyGivesItsConnectTimeAndAnUnreachableOneAMessageLeakingNothing) {
  CWnd owner;
  ASSERT_TRUE(owner.CreateEx(0, AfxPlainWindowClass(), "owner", WS_POPUP, {0, 0, 10, 10}, nullptr, 0));
  LoopbackListener proxy;
  const struct {
    const char* host;
    unsigned int port;
    bool reachable;
  } cases[] = {{"127.0.0.1", proxy.Port(), true}, {"localhost", proxy.Port() + 3u * 65536u, true},  // low 16 bits
               {"127.0.0.1", ClosedLoopbackPort(), false}, {"no-such-host.invalid", 80, false}};
  HANDLE before = nullptr;
  for (int round = 0; round < 3; ++round) {
    if (round == 1) before = NextHandleValue();  // after a first round: WinSock's first start keeps some
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.host) + ":" + std::to_string(c.port));
      MessageBoxAnswerer boxes;
      const unsigned long ms = TestProxy(owner.m_hWnd, c.host, c.port);
      EXPECT_TRUE(c.reachable ? ms >= 1 : ms == 0) << ms;
      EXPECT_TRUE(!c.reachable || proxy.AcceptAndSeeClosed(2000)) << "the test's connection is closed once it is done";
      ASSERT_EQ(boxes.Boxes().size(), c.reachable ? 0u : 1u);
      if (c.reachable) continue;
      const AnsweredMessageBox& box = boxes.Boxes().back();
      EXPECT_EQ(std::tie(box.owner, box.caption, box.icon), std::make_tuple(owner.m_hWnd, "Quillmask", '!'));
      EXPECT_EQ(box.text.substr(0, 19), "UNAVAILABLE PROXY!\n");
    }
  }
  EXPECT_EQ(NextHandleValue(), before);
}
