#include "connection/connection_options.h"

#include <wininet.h>

#include "connection/internet_option_seam.h"

namespace {

InternetSetOptionFunc g_internetSetOption = InternetSetOptionA;
InternetQueryOptionFunc g_internetQueryOption = InternetQueryOptionA;

// The texts WinINet hands back are the caller's to free.
class QueriedTexts {
 public:
  explicit QueriedTexts(INTERNET_PER_CONN_OPTIONA* options) : m_options(options) {}
  ~QueriedTexts() {
    for (int i : {1, 2, 3}) {
      if (m_options[i].Value.pszValue) GlobalFree(m_options[i].Value.pszValue);
    }
  }
  QueriedTexts(const QueriedTexts&) = delete;
  QueriedTexts& operator=(const QueriedTexts&) = delete;

 private:
  INTERNET_PER_CONN_OPTIONA* m_options;
};

std::string Text(const char* text) { return text ? text : std::string(); }
char* TextOrNull(const std::string& text) { return text.empty() ? nullptr : const_cast<char*>(text.c_str()); }

}  // namespace

InternetSetOptionFunc ReplaceInternetSetOption(InternetSetOptionFunc func) {
  const InternetSetOptionFunc previous = g_internetSetOption;
  g_internetSetOption = func ? func : InternetSetOptionA;
  return previous;
}

InternetQueryOptionFunc ReplaceInternetQueryOption(InternetQueryOptionFunc func) {
  const InternetQueryOptionFunc previous = g_internetQueryOption;
  g_internetQueryOption = func ? func : InternetQueryOptionA;
  return previous;
}

bool QueryConnectionOptions(const char* connection, ConnectionOptions& options) {
  // The order of the texts matters to QueriedTexts.
  INTERNET_PER_CONN_OPTIONA queried[5] = {};
  queried[0].dwOption = INTERNET_PER_CONN_FLAGS;
  queried[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
  queried[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
  queried[3].dwOption = INTERNET_PER_CONN_AUTOCONFIG_URL;
  queried[4].dwOption = INTERNET_PER_CONN_AUTODISCOVERY_FLAGS;
  INTERNET_PER_CONN_OPTION_LISTA list = {};
  list.dwSize = sizeof(list);
  list.pszConnection = const_cast<char*>(connection);
  list.dwOptionCount = sizeof(queried) / sizeof(queried[0]);
  list.pOptions = queried;
  DWORD size = sizeof(list);
  if (!g_internetQueryOption(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size)) return false;

  QueriedTexts texts(queried);
  options.flags = queried[0].Value.dwValue;
  options.proxyServer = Text(queried[1].Value.pszValue);
  options.proxyBypass = Text(queried[2].Value.pszValue);
  options.autoConfigUrl = Text(queried[3].Value.pszValue);
  options.autoDiscoveryFlags = queried[4].Value.dwValue;
  return true;
}

bool WriteOptionList(const char* connection, INTERNET_PER_CONN_OPTIONA* options, DWORD count) {
  INTERNET_PER_CONN_OPTION_LISTA list = {};
  list.dwSize = sizeof(list);
  list.pszConnection = const_cast<char*>(connection);
  list.dwOptionCount = count;
  list.pOptions = options;
  return g_internetSetOption(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, sizeof(list)) != FALSE;
}

bool WriteConnectionOptions(const char* connection, const ConnectionOptions& options) {
  INTERNET_PER_CONN_OPTIONA written[5] = {};
  written[0].dwOption = INTERNET_PER_CONN_FLAGS;
  written[0].Value.dwValue = options.flags;
  written[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
  written[1].Value.pszValue = TextOrNull(options.proxyServer);
  written[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
  written[2].Value.pszValue = TextOrNull(options.proxyBypass);
  written[3].dwOption = INTERNET_PER_CONN_AUTOCONFIG_URL;
  written[3].Value.pszValue = TextOrNull(options.autoConfigUrl);
  written[4].dwOption = INTERNET_PER_CONN_AUTODISCOVERY_FLAGS;
  written[4].Value.dwValue = options.autoDiscoveryFlags;
  return WriteOptionList(connection, written, sizeof(written) / sizeof(written[0]));
}

void AnnounceSettingsChange() {
  g_internetSetOption(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
  g_internetSetOption(nullptr, INTERNET_OPTION_REFRESH, nullptr, 0);
}

bool UsesProxy(const ConnectionOptions& options, const std::string& proxy) {
  return !proxy.empty() && (options.flags & PROXY_TYPE_PROXY) && options.proxyServer == proxy;
}
