#include "proxylist/fetch_proxy_list.h"

#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <optional>

#include "framework/module.h"
#include "proxylist/list_address.h"
#include "proxylist/list_text.h"
#include "proxylist/revocation_check.h"

namespace {

class ScopedInternetHandle {
 public:
  explicit ScopedInternetHandle(HINTERNET handle) : m_hInternet(handle) {}
  ~ScopedInternetHandle() {
    if (m_hInternet) InternetCloseHandle(m_hInternet);
  }
  ScopedInternetHandle(const ScopedInternetHandle&) = delete;
  ScopedInternetHandle& operator=(const ScopedInternetHandle&) = delete;
  HINTERNET Get() const { return m_hInternet; }
  explicit operator bool() const { return m_hInternet != nullptr; }

 private:
  HINTERNET m_hInternet;
};

// The whole body, or false when a read fails.
bool ReadBody(HINTERNET request, std::string& body) {
  char buffer[4096];
  for (;;) {
    DWORD read = 0;
    if (!InternetReadFile(request, buffer, sizeof(buffer), &read)) return false;
    if (read == 0) return true;
    body.append(buffer, read);
  }
}

// The module's own name ("quillbar"), as the application's name is used for the user agent.
std::string UserAgent() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(AfxGetResourceHandle(), path, MAX_PATH);
  std::string name(path, length);
  name = name.substr(name.find_last_of("\\/") + 1);
  return name.substr(0, name.rfind('.'));
}

std::string Download(const std::string& address) {
  const std::optional<ListAddress> parsed = ParseListAddress(address);
  if (!parsed) return std::string();
  // Over HTTPS WinINet refuses a certificate problem without asking the user; nothing is ignored.
  const DWORD secure = parsed->secure ? INTERNET_FLAG_SECURE | INTERNET_FLAG_NO_UI : 0;

  ScopedInternetHandle session(
      InternetOpenA(UserAgent().c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) return std::string();
  ScopedInternetHandle connection(InternetConnectA(session.Get(), parsed->host.c_str(), parsed->port, nullptr, nullptr,
                                                   INTERNET_SERVICE_HTTP, INTERNET_FLAG_KEEP_CONNECTION, 1));
  if (!connection) return std::string();
  ScopedInternetHandle request(HttpOpenRequestA(connection.Get(), "GET", parsed->path.c_str(), nullptr, nullptr,
                                                nullptr, INTERNET_FLAG_KEEP_CONNECTION | secure, 0));
  if (!request) return std::string();
  if (!HttpSendRequestA(request.Get(), nullptr, 0, nullptr, 0)) return std::string();
  if (parsed->secure && !ServerChainPassesRevocationCheck(request.Get())) return std::string();

  std::string body;
  if (!ReadBody(request.Get(), body)) return std::string();
  const std::string received = ExpandLineFeeds(body);
  std::printf("\nContent %s\n", received.c_str());
  return NormaliseListText(received);
}

}  // namespace

std::string FetchProxyList(const std::string& address) {
  try {
    return Download(address);
  } catch (...) {  // out of memory: the download counts as failed
    return std::string();
  }
}
