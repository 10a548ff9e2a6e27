// The connection writer: what it hands to WinINet (through its seam) for every combination of the
// automatic-dialling values, and what Wine's own stored proxy settings become without the seam.
#include "connection/connection_proxy.h"

#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "connection/internet_option_seam.h"
#include "tests/support/registry.h"

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
    for (DWORD i = 0; i < list->dwOptionCount; ++i) {
      const INTERNET_PER_CONN_OPTIONA& o = list->pOptions[i];
      const bool isText = o.dwOption == INTERNET_PER_CONN_PROXY_SERVER || o.dwOption == INTERNET_PER_CONN_PROXY_BYPASS;
      call.options.push_back({o.dwOption, isText ? 0 : o.Value.dwValue, isText ? o.Value.pszValue : ""});
    }
  }
  g_calls.push_back(call);
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
    ReplaceInternetSetOption(RecordInternetSetOption);
    // Decoys under the wrong roots: the writer must not read these.
    testreg::SetDword(HKEY_LOCAL_MACHINE, kInternetSettings, "EnableAutodial", 7);
    testreg::SetDword(HKEY_LOCAL_MACHINE, kInternetSettings, "NoNetAutodial", 7);
    testreg::SetString(HKEY_CURRENT_USER, kAutoDial, "DefaultInternet", "Wrong root");
  }
  void TearDown() override {
    ReplaceInternetSetOption(nullptr);
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

TEST(ConnectionWriterOnWineTest, ChangesTheStoredLanProxySettings) {
  testreg::DeleteValue(HKEY_CURRENT_USER, kInternetSettings, "EnableAutodial");

  ASSERT_TRUE(SetConnectionOptions("127.0.0.1:3128 "));
  const LanProxy set = QueryLanProxy();
  // Wine answers the flags 3 (direct and proxy) written as just "proxy".
  EXPECT_EQ(set.flags & PROXY_TYPE_PROXY, static_cast<DWORD>(PROXY_TYPE_PROXY));
  EXPECT_EQ(set.server, "127.0.0.1:3128 ");
  EXPECT_EQ(testreg::GetDword(HKEY_CURRENT_USER, kInternetSettings, "ProxyEnable"), 1u);
  EXPECT_EQ(testreg::GetString(HKEY_CURRENT_USER, kInternetSettings, "ProxyServer"), "127.0.0.1:3128 ");

  ASSERT_TRUE(DisableConnectionProxy());
  EXPECT_EQ(QueryLanProxy().flags, static_cast<DWORD>(PROXY_TYPE_DIRECT));
  EXPECT_EQ(testreg::GetDword(HKEY_CURRENT_USER, kInternetSettings, "ProxyEnable"), 0u);
}

}  // namespace
