// The connection writer: what it hands to WinINet (through its seam) for every combination of the
// automatic-dialling values, and what Wine's own stored proxy settings become without the seam.
#include "connection/connection_proxy.h"

#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "connection/connection_options.h"
#include "connection/internet_option_seam.h"
#include "tests/support/install_folder.h"
#include "tests/support/registry.h"

bool operator==(const ConnectionOptions& a, const ConnectionOptions& b) {
  return a.flags == b.flags && a.proxyServer == b.proxyServer && a.proxyBypass == b.proxyBypass &&
         a.autoConfigUrl == b.autoConfigUrl && a.autoDiscoveryFlags == b.autoDiscoveryFlags;
}

namespace {

constexpr char kInternetSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr char kAutoDial[] = "SOFTWARE\\Microsoft\\RAS AutoDial\\Default";

struct RecordedOption {
  DWORD option;
  DWORD number;      // flags
  std::string text;  // server or bypass
  bool operator==(const RecordedOption& o) const {
    return option == o.option && number == o.number && text == o.text;
  }
};

struct RecordedCall {
  DWORD option = 0;
  DWORD length = 0;
  bool nullBuffer = true;
  // For option 75: the list.
  DWORD listSize = 0;
  std::optional<std::string> connection;  // nullopt: the LAN connection (null name)
  DWORD optionCount = 0;
  std::vector<RecordedOption> options;
};

std::vector<RecordedCall> g_calls;

// WinINet's per-connection settings as the fake keeps them: "LAN", or "dial-up " and the name.
std::map<std::string, ConnectionOptions> g_stored;
std::string g_refused;  // the connection whose writes the fake refuses, if any

std::string ConnectionKey(const char* name) { return name ? std::string("dial-up ") + name : "LAN"; }

bool IsText(DWORD option) {
  return option == INTERNET_PER_CONN_PROXY_SERVER || option == INTERNET_PER_CONN_PROXY_BYPASS ||
         option == INTERNET_PER_CONN_AUTOCONFIG_URL;
}

std::string* TextOf(ConnectionOptions& stored, DWORD option) {
  switch (option) {
    case INTERNET_PER_CONN_PROXY_SERVER: return &stored.proxyServer;
    case INTERNET_PER_CONN_PROXY_BYPASS: return &stored.proxyBypass;
    case INTERNET_PER_CONN_AUTOCONFIG_URL: return &stored.autoConfigUrl;
    default: return nullptr;
  }
}

DWORD* NumberOf(ConnectionOptions& stored, DWORD option) {
  return option == INTERNET_PER_CONN_FLAGS ? &stored.flags
         : option == INTERNET_PER_CONN_AUTODISCOVERY_FLAGS ? &stored.autoDiscoveryFlags
                                                           : nullptr;
}

BOOL WINAPI RecordInternetSetOption(HINTERNET internet, DWORD option, LPVOID buffer, DWORD length) {
  EXPECT_EQ(internet, nullptr);
  RecordedCall call;
  call.option = option;
  call.length = length;
  call.nullBuffer = buffer == nullptr;
  if (option == INTERNET_OPTION_PER_CONNECTION_OPTION && buffer) {
    const auto* list = static_cast<const INTERNET_PER_CONN_OPTION_LISTA*>(buffer);
    call.listSize = list->dwSize;
    if (list->pszConnection) call.connection = list->pszConnection;
    call.optionCount = list->dwOptionCount;
    const std::string key = ConnectionKey(list->pszConnection);
    if (key == g_refused) {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    for (DWORD i = 0; i < list->dwOptionCount; ++i) {
      const INTERNET_PER_CONN_OPTIONA& o = list->pOptions[i];
      const std::string text = IsText(o.dwOption) && o.Value.pszValue ? o.Value.pszValue : "";
      call.options.push_back({o.dwOption, IsText(o.dwOption) ? 0 : o.Value.dwValue, text});
      if (std::string* stored = TextOf(g_stored[key], o.dwOption)) *stored = text;
      if (DWORD* stored = NumberOf(g_stored[key], o.dwOption)) *stored = o.Value.dwValue;
    }
  }
  g_calls.push_back(call);
  return TRUE;
}

BOOL WINAPI AnswerInternetQueryOption(HINTERNET internet, DWORD option, LPVOID buffer, LPDWORD length) {
  EXPECT_EQ(internet, nullptr);
  EXPECT_EQ(option, static_cast<DWORD>(INTERNET_OPTION_PER_CONNECTION_OPTION));
  const auto* list = static_cast<INTERNET_PER_CONN_OPTION_LISTA*>(buffer);
  EXPECT_EQ(*length, sizeof(*list));
  ConnectionOptions& stored = g_stored[ConnectionKey(list->pszConnection)];
  for (DWORD i = 0; i < list->dwOptionCount; ++i) {
    INTERNET_PER_CONN_OPTIONA& o = list->pOptions[i];
    if (const std::string* text = TextOf(stored, o.dwOption)) {
      o.Value.pszValue = nullptr;
      if (!text->empty()) {
        o.Value.pszValue = static_cast<char*>(GlobalAlloc(GMEM_FIXED, text->size() + 1));
        memcpy(o.Value.pszValue, text->c_str(), text->size() + 1);
      }
    } else if (DWORD* number = NumberOf(stored, o.dwOption)) {
      o.Value.dwValue = *number;
    }
  }
  return TRUE;
}

// Absent or a number.
using MaybeDword = std::optional<DWORD>;

void PutDword(HKEY root, const char* key, const char* name, MaybeDword value) {
  if (value) {
    testreg::SetDword(root, key, name, *value);
  } else {
    testreg::DeleteValue(root, key, name);
  }
}

class ConnectionWriterTest : public testing::Test {
 protected:
  void SetUp() override {
    g_calls.clear();
    g_stored.clear();
    g_refused.clear();
    ClearUserState();
    ReplaceInternetSetOption(RecordInternetSetOption);
    ReplaceInternetQueryOption(AnswerInternetQueryOption);
    // Decoys under the wrong roots: the writer must not read these.
    testreg::SetDword(HKEY_LOCAL_MACHINE, kInternetSettings, "EnableAutodial", 7);
    testreg::SetDword(HKEY_LOCAL_MACHINE, kInternetSettings, "NoNetAutodial", 7);
    testreg::SetString(HKEY_CURRENT_USER, kAutoDial, "DefaultInternet", "Wrong root");
  }
  void TearDown() override {
    ReplaceInternetSetOption(nullptr);
    ReplaceInternetQueryOption(nullptr);
    ClearUserState();
    testreg::DeleteValue(HKEY_LOCAL_MACHINE, kInternetSettings, "EnableAutodial");
    testreg::DeleteValue(HKEY_LOCAL_MACHINE, kInternetSettings, "NoNetAutodial");
    testreg::DeleteKey(HKEY_CURRENT_USER, kAutoDial);
    testreg::DeleteValue(HKEY_CURRENT_USER, kInternetSettings, "EnableAutodial");
    testreg::DeleteValue(HKEY_CURRENT_USER, kInternetSettings, "NoNetAutodial");
    testreg::DeleteKey(HKEY_LOCAL_MACHINE, kAutoDial);
  }

  static void Configure(MaybeDword enableAutodial, MaybeDword noNetAutodial, const char* defaultInternet) {
    PutDword(HKEY_CURRENT_USER, kInternetSettings, "EnableAutodial", enableAutodial);
    PutDword(HKEY_CURRENT_USER, kInternetSettings, "NoNetAutodial", noNetAutodial);
    if (defaultInternet) {
      testreg::SetString(HKEY_LOCAL_MACHINE, kAutoDial, "DefaultInternet", defaultInternet);
    } else {
      testreg::DeleteKey(HKEY_LOCAL_MACHINE, kAutoDial);
    }
  }
};

RecordedCall Write(std::optional<std::string> connection, std::vector<RecordedOption> options) {
  RecordedCall call;
  call.option = INTERNET_OPTION_PER_CONNECTION_OPTION;
  call.length = sizeof(INTERNET_PER_CONN_OPTION_LISTA);
  call.nullBuffer = false;
  call.listSize = sizeof(INTERNET_PER_CONN_OPTION_LISTA);
  call.connection = std::move(connection);
  call.optionCount = static_cast<DWORD>(options.size());
  call.options = std::move(options);
  return call;
}

RecordedCall Notice(DWORD option) {
  RecordedCall call;
  call.option = option;
  return call;
}

void ExpectCalls(const std::vector<RecordedCall>& expected) {
  ASSERT_EQ(g_calls.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("call " + std::to_string(i));
    const RecordedCall& seen = g_calls[i];
    EXPECT_EQ(seen.option, expected[i].option);
    EXPECT_EQ(seen.length, expected[i].length);
    EXPECT_EQ(seen.nullBuffer, expected[i].nullBuffer);
    EXPECT_EQ(seen.listSize, expected[i].listSize);
    EXPECT_EQ(seen.connection, expected[i].connection);
    EXPECT_EQ(seen.optionCount, expected[i].optionCount);
    EXPECT_EQ(seen.options, expected[i].options);
  }
}

TEST_F(ConnectionWriterTest, OptionListHasTheSizeOfTheStructureOnThisArchitecture) {
  EXPECT_EQ(sizeof(INTERNET_PER_CONN_OPTION_LISTA), sizeof(void*) == 8 ? 32u : 20u);
}

// Every combination of the three values, for a set (notice once or after each write) and a disable.
TEST_F(ConnectionWriterTest, WritesTheChosenConnectionsInOrderForEveryCombination) {
  const MaybeDword enableValues[] = {std::nullopt, 0u, 1u, 2u};
  const MaybeDword noNetValues[] = {std::nullopt, 0u, 1u, 2u};
  const char* dialUpNames[] = {nullptr, "My ISP"};
  const std::vector<RecordedOption> setOptions = {{INTERNET_PER_CONN_FLAGS, PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY, ""},
                                                  {INTERNET_PER_CONN_PROXY_SERVER, 0, "10.0.0.1:80 "},
                                                  {INTERNET_PER_CONN_PROXY_BYPASS, 0, "local"}};
  const std::vector<RecordedOption> disableOptions = {{INTERNET_PER_CONN_FLAGS, PROXY_TYPE_DIRECT, ""}};

  for (MaybeDword enable : enableValues) {
    for (MaybeDword noNet : noNetValues) {
      for (const char* dialUpName : dialUpNames) {
        SCOPED_TRACE("EnableAutodial " + (enable ? std::to_string(*enable) : "absent") + ", NoNetAutodial " +
                     (noNet ? std::to_string(*noNet) : "absent") + ", DefaultInternet " +
                     (dialUpName ? dialUpName : "absent"));
        Configure(enable, noNet, dialUpName);

        // Only exactly 1 means on; an absent dial-up name is written as an empty one, never as null.
        std::vector<std::optional<std::string>> connections;
        if (enable == 1u) connections.push_back(std::string(dialUpName ? dialUpName : ""));
        if (enable != 1u || noNet == 1u) connections.push_back(std::nullopt);

        std::vector<RecordedCall> once, eachTime, disable;
        for (const auto& connection : connections) {
          once.push_back(Write(connection, setOptions));
          eachTime.push_back(Write(connection, setOptions));
          eachTime.push_back(Notice(INTERNET_OPTION_SETTINGS_CHANGED));
          eachTime.push_back(Notice(INTERNET_OPTION_REFRESH));
          disable.push_back(Write(connection, disableOptions));
        }
        for (auto* calls : {&once, &disable}) {
          calls->push_back(Notice(INTERNET_OPTION_SETTINGS_CHANGED));
          calls->push_back(Notice(INTERNET_OPTION_REFRESH));
        }

        g_calls.clear();
        EXPECT_TRUE(SetConnectionOptions("10.0.0.1:80 "));
        ExpectCalls(once);
        g_calls.clear();
        EXPECT_TRUE(SetConnectionOptions("10.0.0.1:80 ", ChangeNotice::AfterEachWrite));
        ExpectCalls(eachTime);
        g_calls.clear();
        EXPECT_TRUE(DisableConnectionProxy());
        ExpectCalls(disable);
      }
    }
  }
}

void SetActiveIP(const std::string& proxy) { testreg::SetString(HKEY_CURRENT_USER, kSettingsKey, "ActiveIP", proxy); }

constexpr char kOwnSettingsKey[] = "Software\\Quillmask\\OwnConnectionSettings";

// Switched on, moved to another proxy of the list, switched on again over its own proxy (as the
// toggle does after a failed test), then off: each connection has its user's own options back.
TEST_F(ConnectionWriterTest, SwitchingOffGivesEachConnectionItsUsersOwnOptionsBack) {
  const ConnectionOptions cases[] = {
      {PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY, "corp:8080", "*.corp.example;<local>", "", 0},
      {PROXY_TYPE_DIRECT | PROXY_TYPE_AUTO_PROXY_URL, "", "", "http://config.corp.example/proxy.pac", 0},
      {PROXY_TYPE_DIRECT | PROXY_TYPE_AUTO_DETECT, "", "", "", AUTO_PROXY_FLAG_USER_SET | AUTO_PROXY_FLAG_ALWAYS_DETECT},
      {PROXY_TYPE_DIRECT, "", "", "", 0},
  };
  Configure(1u, 1u, "My ISP");  // both connections
  for (const ConnectionOptions& own : cases) {
    SCOPED_TRACE("flags " + std::to_string(own.flags));
    ConnectionOptions dialUpOwn = own;
    dialUpOwn.proxyBypass += ";dial-up";
    g_stored = {{"LAN", own}, {"dial-up My ISP", dialUpOwn}};
    SetActiveIP("");

    ASSERT_TRUE(SetConnectionOptions("10.0.0.1:80", ChangeNotice::AfterLastWrite, OwnSettings::Save));
    SetActiveIP("10.0.0.1:80");
    ASSERT_TRUE(SetConnectionOptions("10.0.0.2:81", ChangeNotice::AfterEachWrite));
    SetActiveIP("10.0.0.2:81");
    ASSERT_TRUE(SetConnectionOptions("10.0.0.3:82", ChangeNotice::AfterLastWrite, OwnSettings::Save));
    SetActiveIP("10.0.0.3:82");
    EXPECT_EQ(g_stored["LAN"].proxyServer, "10.0.0.3:82");

    ASSERT_TRUE(DisableConnectionProxy());
    EXPECT_TRUE(g_stored["LAN"] == own);
    EXPECT_TRUE(g_stored["dial-up My ISP"] == dialUpOwn);
    EXPECT_FALSE(testreg::KeyExists(HKEY_CURRENT_USER, kOwnSettingsKey)) << "forgotten once given back";

    // With nothing kept, switching off means a direct connection.
    g_stored["LAN"].flags = PROXY_TYPE_PROXY;
    ASSERT_TRUE(DisableConnectionProxy());
    EXPECT_EQ(g_stored["LAN"].flags, static_cast<DWORD>(PROXY_TYPE_DIRECT));
  }
}

TEST_F(ConnectionWriterTest, SettingsTheUserChangedWhileTheProxyWasOnStand) {
  g_stored["LAN"] = {PROXY_TYPE_DIRECT, "", "", "", 0};
  ASSERT_TRUE(SetConnectionOptions("10.0.0.1:80", ChangeNotice::AfterLastWrite, OwnSettings::Save));
  SetActiveIP("10.0.0.1:80");
  const ConnectionOptions changed = {PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY, "home:3128", "", "", 0};
  g_stored["LAN"] = changed;

  ASSERT_TRUE(DisableConnectionProxy());
  EXPECT_TRUE(g_stored["LAN"] == changed);
  EXPECT_FALSE(testreg::KeyExists(HKEY_CURRENT_USER, kOwnSettingsKey));
}

TEST_F(ConnectionWriterTest, ARefusedWriteLeavesEveryConnectionAsItWas) {
  Configure(1u, 1u, "My ISP");
  const ConnectionOptions own = {PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY, "corp:8080", "<local>", "", 0};
  g_stored = {{"LAN", own}, {"dial-up My ISP", own}};
  g_refused = "LAN";  // the second of the two writes
  SetLastError(0);
  EXPECT_FALSE(SetConnectionOptions("10.0.0.1:80", ChangeNotice::AfterLastWrite, OwnSettings::Save));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(g_stored["dial-up My ISP"] == own) << "the first connection's write is taken back";
  EXPECT_FALSE(testreg::KeyExists(HKEY_CURRENT_USER, kOwnSettingsKey)) << "nothing kept for a change that failed";

  // A refused switch-off fails too, and keeps the user's options for the next attempt.
  g_refused.clear();
  ASSERT_TRUE(SetConnectionOptions("10.0.0.1:80", ChangeNotice::AfterLastWrite, OwnSettings::Save));
  SetActiveIP("10.0.0.1:80");
  g_refused = "LAN";
  EXPECT_FALSE(DisableConnectionProxy());
  g_refused.clear();
  EXPECT_TRUE(DisableConnectionProxy());
  EXPECT_TRUE(g_stored["LAN"] == own);
}

// The LAN connection's settings as WinINet reports them.
struct LanProxy {
  DWORD flags = 0;
  std::string server;
  std::string bypass;
};

LanProxy QueryLanProxy() {
  INTERNET_PER_CONN_OPTIONA options[3] = {};
  options[0].dwOption = INTERNET_PER_CONN_FLAGS;
  options[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
  options[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
  INTERNET_PER_CONN_OPTION_LISTA list = {};
  list.dwSize = sizeof(list);
  list.dwOptionCount = 3;
  list.pOptions = options;
  DWORD size = sizeof(list);
  LanProxy result;
  EXPECT_TRUE(InternetQueryOptionA(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size));
  result.flags = options[0].Value.dwValue;
  if (options[1].Value.pszValue) {
    result.server = options[1].Value.pszValue;
    GlobalFree(options[1].Value.pszValue);
  }
  if (options[2].Value.pszValue) {
    result.bypass = options[2].Value.pszValue;
    GlobalFree(options[2].Value.pszValue);
  }
  return result;
}

TEST(ConnectionWriterOnWineTest, ChangesTheStoredLanProxySettingsAndGivesTheUsersBack) {
  testreg::DeleteValue(HKEY_CURRENT_USER, kInternetSettings, "EnableAutodial");
  ClearUserState();
  const ConnectionOptions own = {PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY, "127.0.0.1:3128", "", "", 0};
  ASSERT_TRUE(WriteConnectionOptions(nullptr, own));

  ASSERT_TRUE(SetConnectionOptions("127.0.0.1:9999 ", ChangeNotice::AfterLastWrite, OwnSettings::Save));
  const LanProxy set = QueryLanProxy();
  // Wine answers the flags 3 (direct and proxy) written as just "proxy".
  EXPECT_EQ(set.flags & PROXY_TYPE_PROXY, static_cast<DWORD>(PROXY_TYPE_PROXY));
  EXPECT_EQ(set.server, "127.0.0.1:9999 ");
  EXPECT_EQ(testreg::GetDword(HKEY_CURRENT_USER, kInternetSettings, "ProxyEnable"), 1u);
  EXPECT_EQ(testreg::GetString(HKEY_CURRENT_USER, kInternetSettings, "ProxyServer"), "127.0.0.1:9999 ");

  {  // Settings the user may not write: refused for real, and nothing changes.
    testreg::ReadOnlyKey locked(HKEY_CURRENT_USER, kInternetSettings);
    EXPECT_FALSE(SetConnectionOptions("127.0.0.1:7777"));
    EXPECT_EQ(testreg::GetString(HKEY_CURRENT_USER, kInternetSettings, "ProxyServer"), "127.0.0.1:9999 ");
  }

  SetActiveIP("127.0.0.1:9999 ");
  ASSERT_TRUE(DisableConnectionProxy());
  EXPECT_EQ(testreg::GetDword(HKEY_CURRENT_USER, kInternetSettings, "ProxyEnable"), 1u);
  EXPECT_EQ(testreg::GetString(HKEY_CURRENT_USER, kInternetSettings, "ProxyServer"), "127.0.0.1:3128");

  ASSERT_TRUE(DisableConnectionProxy());  // nothing kept: direct
  EXPECT_EQ(QueryLanProxy().flags, static_cast<DWORD>(PROXY_TYPE_DIRECT));
  EXPECT_EQ(testreg::GetDword(HKEY_CURRENT_USER, kInternetSettings, "ProxyEnable"), 0u);
  ClearUserState();
}

}  // namespace
