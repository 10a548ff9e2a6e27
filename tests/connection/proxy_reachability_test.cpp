// TestProxy against real sockets on loopback.
#include "connection/proxy_reachability.h"

#include <gtest/gtest.h>

#include "tests/support/loopback.h"
#include "tests/support/message_box_recorder.h"

namespace {

constexpr char kUnavailable[] =
    "UNAVAILABLE PROXY!\nQuillmask could not connect to the chosen proxy.\nPlease choose another proxy ";
const HWND kOwner = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));

// The value the next new handle gets. Freed handle slots are reused, so a handle leaked in between
// (a socket is one) moves it on. Wine cannot count a process's handles (GetProcessHandleCount).
HANDLE NextHandleValue() {
  const HANDLE probe = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  CloseHandle(probe);
  return probe;
}

void ExpectUnavailableBox(const MessageBoxRecorder& boxes) {
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  const RecordedMessageBox& box = boxes.Boxes()[0];
  EXPECT_EQ(box.owner, kOwner);
  EXPECT_EQ(box.text, kUnavailable);
  EXPECT_EQ(box.caption, "Quillmask");
  EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONHAND));
}

TEST(TestProxyTest, ListeningProxyIsReachableAndTheSocketIsClosedAfterwards) {
  LoopbackListener proxy;
  MessageBoxRecorder boxes;
  EXPECT_GE(TestProxy(kOwner, "127.0.0.1", proxy.Port()), 1u);
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_TRUE(proxy.AcceptAndSeeClosed(2000)) << "the test's connection is closed once it is done";
}

TEST(TestProxyTest, OnlyTheLowSixteenBitsOfThePortCount) {
  LoopbackListener proxy;
  MessageBoxRecorder boxes;
  EXPECT_GE(TestProxy(kOwner, "127.0.0.1", proxy.Port() + 65536u), 1u);
  EXPECT_GE(TestProxy(kOwner, "localhost", proxy.Port() + 3u * 65536u), 1u);
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(TestProxyTest, ClosedPortGivesZeroAndTellsTheUser) {
  const unsigned short port = ClosedLoopbackPort();
  MessageBoxRecorder boxes;
  EXPECT_EQ(TestProxy(kOwner, "127.0.0.1", port), 0u);
  ExpectUnavailableBox(boxes);
}

TEST(TestProxyTest, UnresolvableNameGivesZeroAndTellsTheUser) {
  MessageBoxRecorder boxes;
  EXPECT_EQ(TestProxy(kOwner, "no-such-host.invalid", 80), 0u);
  ExpectUnavailableBox(boxes);
}

TEST(TestProxyTest, NoHandleStaysOpenAfterEitherOutcome) {
  LoopbackListener proxy;
  const unsigned short closedPort = ClosedLoopbackPort();
  MessageBoxRecorder boxes;
  // Warm up: WinSock's first start loads what it keeps for the process.
  TestProxy(kOwner, "127.0.0.1", proxy.Port());
  proxy.AcceptAndSeeClosed(2000);

  const HANDLE before = NextHandleValue();
  for (int i = 0; i < 20; ++i) {
    EXPECT_GE(TestProxy(kOwner, "127.0.0.1", proxy.Port()), 1u);
    EXPECT_TRUE(proxy.AcceptAndSeeClosed(2000));
    EXPECT_EQ(TestProxy(kOwner, "127.0.0.1", closedPort), 0u);
  }
  EXPECT_EQ(NextHandleValue(), before);
}

}  // namespace
