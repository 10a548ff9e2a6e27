#include "connection/connection_proxy.h"

#include <windows.h>
#include <wininet.h>

#include <new>
#include <string>

#include "connection/connection_choice.h"
#include "connection/internet_option_seam.h"
#include "settings/registry_value.h"

namespace {

constexpr char kEnableAutodialPath[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\EnableAutodial";
constexpr char kNoNetAutodialPath[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\NoNetAutodial";
constexpr char kDefaultInternetPath[] = "SOFTWARE\\Microsoft\\RAS AutoDial\\Default\\DefaultInternet";
constexpr char kBypassLocal[] = "local";

InternetSetOptionFunc g_internetSetOption = InternetSetOptionA;

void AnnounceSettingsChange() {
  g_internetSetOption(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
  g_internetSetOption(nullptr, INTERNET_OPTION_REFRESH, nullptr, 0);
}

// Writes `optionCount` options, produced by `fill`, to each chosen connection: dial-up first,
// then LAN. The values are read afresh on every call.
template <typename FillOptions>
bool WriteChosenConnections(DWORD optionCount, FillOptions fill, ChangeNotice notice, const char* allocationFailure) {
  RegistryDword enableAutodial(kEnableAutodialPath, 0, false, HKEY_CURRENT_USER);
  RegistryDword noNetAutodial(kNoNetAutodialPath, 0, false, HKEY_CURRENT_USER);
  const ChosenConnections chosen = ChooseConnections(enableAutodial, noNetAutodial);

  std::string dialUpName;
  if (chosen.dialUp) dialUpName = RegistryString(kDefaultInternetPath, std::string(), false, HKEY_LOCAL_MACHINE);

  char* const connections[2] = {chosen.dialUp ? dialUpName.data() : nullptr, nullptr};
  const bool written[2] = {chosen.dialUp, chosen.lan};
  for (int i = 0; i < 2; ++i) {
    if (!written[i]) continue;
    INTERNET_PER_CONN_OPTIONA* options = new (std::nothrow) INTERNET_PER_CONN_OPTIONA[optionCount];
    if (!options) {
      OutputDebugStringA(allocationFailure);
      return false;
    }
    fill(options);

    INTERNET_PER_CONN_OPTION_LISTA list = {};
    list.dwSize = sizeof(list);
    list.pszConnection = connections[i];
    list.dwOptionCount = optionCount;
    list.pOptions = options;
    g_internetSetOption(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, sizeof(list));
    delete[] options;

    if (notice == ChangeNotice::AfterEachWrite) AnnounceSettingsChange();
  }
  if (notice == ChangeNotice::AfterLastWrite) AnnounceSettingsChange();
  return true;
}

}  // namespace

InternetSetOptionFunc ReplaceInternetSetOption(InternetSetOptionFunc func) {
  const InternetSetOptionFunc previous = g_internetSetOption;
  g_internetSetOption = func ? func : InternetSetOptionA;
  return previous;
}

bool SetConnectionOptions(const char* proxy, ChangeNotice notice) {
  return WriteChosenConnections(
      3,
      [proxy](INTERNET_PER_CONN_OPTIONA* options) {
        options[0].dwOption = INTERNET_PER_CONN_FLAGS;
        options[0].Value.dwValue = PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY;
        options[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
        options[1].Value.pszValue = const_cast<char*>(proxy);
        options[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
        options[2].Value.pszValue = const_cast<char*>(kBypassLocal);
      },
      notice, "failed to allocat memory in SetConnectionOptions()");
}

bool DisableConnectionProxy() {
  return WriteChosenConnections(
      1,
      [](INTERNET_PER_CONN_OPTIONA* options) {
        options[0].dwOption = INTERNET_PER_CONN_FLAGS;
        options[0].Value.dwValue = PROXY_TYPE_DIRECT;
      },
      ChangeNotice::AfterLastWrite, "failed to allocat memory in DisableConnectionProxy()");
}
