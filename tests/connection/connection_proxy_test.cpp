// The connection writer, through a seam that keeps each connection's options as WinINet does (the hosted
// toolbar's tests see what Wine's stored settings become); the proxy test against real loopback sockets.
#include "connection/connection_proxy.h"
#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>
#include <map>
#include "connection/connection_options.h"
#include "connection/internet_option_seam.h"
#include "connection/proxy_reachability.h"
#include "loopback/listening_socket.h"
#include "tests/support/held_switch_lock.h"
#include "tests/support/install_folder.h"

constexpr char kAutoDial[] = "SOFTWARE\\Microsoft\\RAS AutoDial\\Default";
using Calls = std::vector<std::string>;

using Options = std::map<DWORD, std::string>;  // a connection's options by number (numbers in decimal)
Calls g_calls;  // a line per call: "LAN F3 S10.0.0.1:80 Blocal" (the options by letter), "changed", "refresh"
std::map<std::string, Options> g_stored;  // each connection's options, as WinINet keeps them: "LAN", "'dial-up name'"
std::string g_refused;                   // the connection whose writes WinINet refuses

std::string Connection(const INTERNET_PER_CONN_OPTION_LISTA* list) {
  return list->pszConnection ? "'" + std::string(list->pszConnection) + "'" : "LAN";
}
bool IsText(DWORD id) { return id >= INTERNET_PER_CONN_PROXY_SERVER && id <= INTERNET_PER_CONN_AUTOCONFIG_URL; }
Options AsStored(const ConnectionOptions& o) {
  return {{INTERNET_PER_CONN_FLAGS, std::to_string(o.flags)}, {INTERNET_PER_CONN_PROXY_SERVER, o.proxyServer},
          {INTERNET_PER_CONN_PROXY_BYPASS, o.proxyBypass}, {INTERNET_PER_CONN_AUTOCONFIG_URL, o.autoConfigUrl},
          {INTERNET_PER_CONN_AUTODISCOVERY_FLAGS, std::to_string(o.autoDiscoveryFlags)}};
}

BOOL WINAPI FakeSetOption(HINTERNET internet, DWORD option, LPVOID buffer, DWORD length) {
  const auto* list = static_cast<const INTERNET_PER_CONN_OPTION_LISTA*>(buffer);
  if (option != INTERNET_OPTION_PER_CONNECTION_OPTION) {
    EXPECT_TRUE(!internet && !buffer && !length);
    g_calls.push_back(option == INTERNET_OPTION_SETTINGS_CHANGED ? "changed"
                      : option == INTERNET_OPTION_REFRESH        ? "refresh" : std::to_string(option));
    return TRUE;
  }
  EXPECT_TRUE(!internet && length == sizeof(*list) && list->dwSize == length);
  if (Connection(list) == g_refused) return FALSE;
  g_calls.push_back(Connection(list));
  for (DWORD i = 0; i < list->dwOptionCount; ++i) {
    const INTERNET_PER_CONN_OPTIONA& o = list->pOptions[i];
    std::string& value = g_stored[Connection(list)][o.dwOption];
    value = !IsText(o.dwOption) ? std::to_string(o.Value.dwValue) : o.Value.pszValue ? o.Value.pszValue : "";
    g_calls.back() += std::string(" ") + " FSBUD?"[std::min<DWORD>(o.dwOption, 6)] + value;
  }
  return TRUE;
}

BOOL WINAPI FakeQueryOption(HINTERNET internet, DWORD option, LPVOID buffer, LPDWORD length) {
  auto* list = static_cast<INTERNET_PER_CONN_OPTION_LISTA*>(buffer);
  EXPECT_TRUE(!internet && option == INTERNET_OPTION_PER_CONNECTION_OPTION && *length == sizeof(*list));
  for (DWORD i = 0; i < list->dwOptionCount; ++i) {
    INTERNET_PER_CONN_OPTIONA& o = list->pOptions[i];
    const std::string& value = g_stored[Connection(list)][o.dwOption];
    const auto copy = [&] { return std::strcpy(static_cast<char*>(GlobalAlloc(0, value.size() + 1)), value.c_str()); };
    // WinINet hands out texts in GlobalAlloc'ed memory, and an empty one as none.
    if (IsText(o.dwOption)) o.Value.pszValue = value.empty() ? nullptr : copy();
    else o.Value.dwValue = std::strtoul(value.c_str(), nullptr, 10);
  }
  return TRUE;
}

bool OwnKept() {
  return testreg::KeyExists(HKEY_CURRENT_USER, "Software\\Quillmask\\OwnConnectionSettings\\LAN") ||
         testreg::KeyExists(HKEY_CURRENT_USER, "Software\\Quillmask\\OwnConnectionSettings\\DialUp");
}

class ConnectionWriterTest : public testing::Test {
 protected:
  void SetUp() override {
    ClearUserState(), g_calls.clear(), g_stored.clear(), g_refused.clear();
    ReplaceInternetSetOption(FakeSetOption);
    ReplaceInternetQueryOption(FakeQueryOption);
  }
  static void Configure(std::optional<DWORD> enableAutodial, std::optional<DWORD> noNetAutodial, const char* dialUp) {
    for (const auto& [name, value] : {std::pair{"EnableAutodial", enableAutodial}, {"NoNetAutodial", noNetAutodial}}) {
      value ? testreg::SetDword(HKEY_CURRENT_USER, kInternetSettings, name, *value)
            : testreg::DeleteValue(HKEY_CURRENT_USER, kInternetSettings, name);
    }
    dialUp ? testreg::SetString(HKEY_LOCAL_MACHINE, kAutoDial, "DefaultInternet", dialUp)
           : testreg::DeleteKey(HKEY_LOCAL_MACHINE, kAutoDial);
  }
  template <typename Change>
  static Calls CallsOf(Change change) {
    g_calls.clear();
    EXPECT_EQ(change(), SwitchResult::Done);
    return g_calls;
  }
};

// Each connection the dialling values choose (which choice they make: unit_tests), in one call each
// or with a notice after each for a switch-over; an absent dial-up name is written as "", never as none.
TEST_F(ConnectionWriterTest, WritesTheConnectionsTheDiallingValuesChoose) {
  const std::optional<DWORD> absent;
  const struct { std::optional<DWORD> enable, noNet; const char* dialUp; Calls connections; } cases[] = {
      {absent, absent, "My ISP", {"LAN"}}, {2, 1, "My ISP", {"LAN"}}, {1, absent, "My ISP", {"'My ISP'"}},
      {1, 0, nullptr, {"''"}}, {1, 1, "My ISP", {"'My ISP'", "LAN"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << &c - cases);
    Configure(c.enable, c.noNet, c.dialUp);
    g_stored.clear();  // a direct connection's, as WinINet gives none
    Calls once, each, off;
    for (const std::string& connection : c.connections) {
      once.push_back(connection + " F3 S10.0.0.1:80  Blocal");
      each.insert(each.end(), {once.back(), "changed", "refresh"});
      off.push_back(connection + " F1 S B U D0");  // the user's copy given back
    }
    for (Calls* calls : {&once, &off}) calls->insert(calls->end(), {"changed", "refresh"});
    EXPECT_EQ(CallsOf([] { return SetConnectionOptions("10.0.0.1:80 "); }), once);
    EXPECT_EQ(CallsOf([] { return SetConnectionOptions("10.0.0.1:80 ", ProxySwitch::Over); }), each);
    EXPECT_EQ(CallsOf(DisableConnectionProxy), off);
  }
}

// Switched on, moved to another proxy of the list, switched on again over its own proxy (as a
// window does whose look was stale), then off: each connection has its user's own options back.
TEST_F(ConnectionWriterTest, SwitchingOffGivesEachConnectionItsUsersOwnOptionsBack) {
  const ConnectionOptions cases[] = {
      {PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY, "corp:8080", "*.corp.example;<local>", "", 0},
      {PROXY_TYPE_DIRECT | PROXY_TYPE_AUTO_PROXY_URL, "", "", "http://config.corp.example/proxy.pac", 0},
      {PROXY_TYPE_DIRECT | PROXY_TYPE_AUTO_DETECT, "", "", "",
       AUTO_PROXY_FLAG_USER_SET | AUTO_PROXY_FLAG_ALWAYS_DETECT}};
  Configure(1, 1, "My ISP");  // both connections
  for (const ConnectionOptions& own : cases) {
    SCOPED_TRACE("flags " + std::to_string(own.flags));
    ConnectionOptions dialUpOwn = own;
    dialUpOwn.proxyBypass += ";dial-up";
    g_stored = {{"LAN", AsStored(own)}, {"'My ISP'", AsStored(dialUpOwn)}};
    ASSERT_EQ(SetConnectionOptions("10.0.0.1:80"), SwitchResult::Done);
    ASSERT_EQ(SetConnectionOptions("10.0.0.2:81", ProxySwitch::Over), SwitchResult::Done);
    ASSERT_EQ(SetConnectionOptions("10.0.0.3:82"), SwitchResult::Done);
    EXPECT_EQ(SwitchState(), "10.0.0.3:82 1");
    ASSERT_EQ(DisableConnectionProxy(), SwitchResult::Done);
    EXPECT_EQ(g_stored["LAN"], AsStored(own));
    EXPECT_EQ(g_stored["'My ISP'"], AsStored(dialUpOwn));
    EXPECT_FALSE(OwnKept()) << "forgotten once given back";
    EXPECT_EQ(SwitchState(), " 0");
  }
}

// A connection not chosen at a switch-off keeps its copy for a later one, which still knows the proxy it holds,
// and a switch-on meanwhile does not replace it; settings the user changed while on stand.
TEST_F(ConnectionWriterTest, SwitchingOffLeavesWhatIsNotTheToolbarsProxy) {
  const ConnectionOptions manual = {PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY, "10.20.30.40:3128", "<local>", "", 0};
  const ConnectionOptions dialUpOwn = {PROXY_TYPE_DIRECT, "", "", "", 0};
  g_stored = {{"LAN", AsStored(manual)}, {"'My ISP'", AsStored(dialUpOwn)}};
  Configure(1, 1, "My ISP");
  ASSERT_EQ(SetConnectionOptions("10.0.0.1:80"), SwitchResult::Done);
  Configure(std::nullopt, std::nullopt, "My ISP");  // the LAN connection alone
  ASSERT_EQ(DisableConnectionProxy(), SwitchResult::Done);
  EXPECT_EQ(g_stored["LAN"], AsStored(manual));
  EXPECT_EQ(g_stored["'My ISP'"][INTERNET_PER_CONN_PROXY_SERVER], "10.0.0.1:80");
  Configure(1, 1, "My ISP");
  ASSERT_EQ(SetConnectionOptions("10.0.0.2:81"), SwitchResult::Done);
  EXPECT_EQ(g_stored["LAN"][INTERNET_PER_CONN_PROXY_SERVER], "10.0.0.2:81");
  const ConnectionOptions changed = {PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY, "home:3128", "", "", 0};
  g_stored["LAN"] = AsStored(changed);
  ASSERT_EQ(DisableConnectionProxy(), SwitchResult::Done);
  EXPECT_EQ(g_stored["LAN"], AsStored(changed));
  EXPECT_EQ(g_stored["'My ISP'"], AsStored(dialUpOwn));
  EXPECT_FALSE(OwnKept());
}

TEST_F(ConnectionWriterTest, ARefusedWriteLeavesEveryConnectionAsItWas) {
  Configure(1, 1, "My ISP");
  const ConnectionOptions own = {PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY, "corp:8080", "<local>", "", 0};
  g_stored = {{"LAN", AsStored(own)}, {"'My ISP'", AsStored(own)}};
  g_refused = "LAN";  // the second of the two writes
  EXPECT_EQ(SetConnectionOptions("10.0.0.1:80"), SwitchResult::Refused);
  EXPECT_EQ(g_stored["'My ISP'"], AsStored(own)) << "the first connection's write is taken back";
  EXPECT_FALSE(OwnKept()) << "nothing kept for a change that failed";
  EXPECT_EQ(SwitchState(), " ");
  // A refused switch-off fails too, and keeps the user's options and the state for the next attempt.
  g_refused.clear();
  ASSERT_EQ(SetConnectionOptions("10.0.0.1:80"), SwitchResult::Done);
  g_refused = "LAN";
  EXPECT_EQ(DisableConnectionProxy(), SwitchResult::Refused);
  EXPECT_EQ(SwitchState(), "10.0.0.1:80 1");
  g_refused.clear();
  EXPECT_EQ(DisableConnectionProxy(), SwitchResult::Done);
  EXPECT_EQ(g_stored["LAN"], AsStored(own));
}

TEST_F(ConnectionWriterTest, ASwitchWhileAnotherHoldsTheLockChangesNothing) {
  ASSERT_EQ(SetConnectionOptions("10.0.0.1:80"), SwitchResult::Done);
  const HeldSwitchLock held;
  g_calls.clear();
  EXPECT_EQ(SetConnectionOptions("10.0.0.2:81"), SwitchResult::LockNotHad);
  EXPECT_EQ(DisableConnectionProxy(), SwitchResult::LockNotHad);
  EXPECT_EQ(g_calls, Calls{});
  EXPECT_EQ(SwitchState(), "10.0.0.1:80 1");
}

// (What it leaves behind is counted where the hosted band tests proxies, refused and dropped ones among them.)
TEST(TestProxyTest, ReachableProxyGivesItsConnectTimeAndAnUnreachableOneZero) {
  ListeningSocket proxy;
  SynDroppingListener dropping;  // unavailable once the bound has passed
  const struct { const char* host; unsigned int port; bool reachable; } cases[] = {
      {"127.0.0.1", proxy.Port(), true}, {"localhost", proxy.Port() + 3u * 65536u, true},  // low 16 bits
      {"127.0.0.1", ClosedLoopbackPort(), false}, {"no-such-host.invalid", 80, false},
      {"127.0.0.1", dropping.Port(), false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.host) + ":" + std::to_string(c.port));
    const unsigned long ms = TestProxy(c.host, c.port, 500);
    EXPECT_TRUE(c.reachable ? ms >= 1 : ms == 0) << ms;
    EXPECT_TRUE(!c.reachable || proxy.AcceptAndSeeClosed(2000)) << "the test's connection is closed once it is done";
  }
}
