#include "proxylist/fetch_proxy_list.h"

#include <wininet.h>

#include <cstdio>
#include <memory>
#include <optional>

#include "build_config.h"
#include "framework/detached_work.h"
#include "framework/modal_wait.h"
#include "framework/module.h"
#include "proxylist/list_address.h"
#include "proxylist/list_text.h"
#include "proxylist/revocation_check.h"

const DownloadLimits kListDownloadLimits = {QUILLMASK_LIST_TIMEOUT_MS, 3 * QUILLMASK_LIST_TIMEOUT_MS};

namespace {

// The module's own name ("quillbar"), as the application's name is used for the user agent.
std::string UserAgent() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(AfxGetResourceHandle(), path, MAX_PATH);
  std::string name(path, length);
  name = name.substr(name.find_last_of("\\/") + 1);
  return name.substr(0, name.rfind('.'));
}

// One download, shared by the thread that waits for it and the thread that makes it (see
// StartDetachedWork). Every WinINet handle it opens is closed exactly once, under the
// lock: by the download when it is done, or by the waiting thread when time has run out (which
// makes a call blocked on them return).
class DownloadJob {
 public:
  DownloadJob(std::string address, const DownloadLimits& limits) : m_address(std::move(address)), m_limits(limits) {
    InitializeCriticalSection(&m_lock);
  }
  ~DownloadJob() {
    if (m_done) CloseHandle(m_done);
    DeleteCriticalSection(&m_lock);
  }
  DownloadJob(const DownloadJob&) = delete;
  DownloadJob& operator=(const DownloadJob&) = delete;

  bool Started() const { return m_done != nullptr; }

  // The download's thread.
  void Run() {
    std::string text;
    try {
      text = Download();
    } catch (...) {  // out of memory: the download counts as failed
      text.clear();
    }
    EnterCriticalSection(&m_lock);
    CloseHandles();
    if (!m_abandoned) m_result.swap(text);
    LeaveCriticalSection(&m_lock);
    SetEvent(m_done);
  }

  // The waiting thread: the list, or the empty text when it did not arrive in time. Its windows
  // (and a frame in another process whose child windows they are) keep being answered meanwhile.
  std::string Wait() {
    const bool finished = WaitModally(m_done, m_limits.wholeTimeoutMs, WhileWaiting::HandleSentMessages);
    EnterCriticalSection(&m_lock);
    m_abandoned = !finished;
    CloseHandles();
    std::string result;
    result.swap(m_result);
    LeaveCriticalSection(&m_lock);
    return result;
  }

 private:
  // Keeps `handle` for closing; false (and closed at once) when the download was abandoned.
  bool Adopt(HINTERNET handle) {
    if (!handle) return false;
    EnterCriticalSection(&m_lock);
    const bool kept = !m_abandoned && m_handleCount < kMaxHandles;
    if (kept) {
      m_handles[m_handleCount++] = handle;
    } else {
      InternetCloseHandle(handle);
    }
    LeaveCriticalSection(&m_lock);
    return kept;
  }

  void CloseHandles() {  // caller holds m_lock; children first
    while (m_handleCount > 0) InternetCloseHandle(m_handles[--m_handleCount]);
  }

  // Set on every handle: not every WinINet hands a session's time-outs down to its requests.
  void SetTimeouts(HINTERNET handle) const {
    DWORD timeout = m_limits.stepTimeoutMs;
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
      InternetSetOptionA(handle, option, &timeout, sizeof(timeout));
    }
  }

  // The whole body, or false when a read fails or the download was abandoned.
  bool ReadBody(HINTERNET request, std::string& body) {
    char buffer[4096];
    for (;;) {
      DWORD available = 0;
      if (!InternetQueryDataAvailable(request, &available, 0, 0)) return false;
      if (available == 0) return true;
      if (Abandoned()) return false;
      DWORD read = 0;
      if (!InternetReadFile(request, buffer, available < sizeof(buffer) ? available : sizeof(buffer), &read)) {
        return false;
      }
      if (read == 0) return true;
      body.append(buffer, read);
    }
  }

  // Only a 2xx answer is the list: another (a proxy's error page, a portal's login page) is a
  // failed download, however much it looks like one.
  static bool Succeeded(HINTERNET request) {
    DWORD status = 0;
    DWORD size = sizeof(status);
    return HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) &&
           status >= 200 && status < 300;
  }

  // WinINet ends a body whose connection broke off as if it were whole; the announced length tells.
  static bool ArrivedWhole(HINTERNET request, const std::string& body) {
    DWORD length = 0;
    DWORD size = sizeof(length);
    if (!HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size, nullptr)) {
      return true;  // none announced
    }
    return body.size() == length;
  }

  bool Abandoned() {
    EnterCriticalSection(&m_lock);
    const bool abandoned = m_abandoned;
    LeaveCriticalSection(&m_lock);
    return abandoned;
  }

  std::string Download() {
    const std::optional<ListAddress> parsed = ParseListAddress(m_address);
    if (!parsed) return std::string();
    // Over HTTPS WinINet refuses a certificate problem without asking the user; nothing is ignored.
    const DWORD secure = parsed->secure ? INTERNET_FLAG_SECURE | INTERNET_FLAG_NO_UI : 0;

    const HINTERNET session = InternetOpenA(UserAgent().c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!Adopt(session)) return std::string();
    SetTimeouts(session);
    const HINTERNET connection = InternetConnectA(session, parsed->host.c_str(), parsed->port, nullptr, nullptr,
                                                  INTERNET_SERVICE_HTTP, INTERNET_FLAG_KEEP_CONNECTION, 1);
    if (!Adopt(connection)) return std::string();
    SetTimeouts(connection);
    // Always the server's current list: not WinINet's stored copy, nor a proxy's on the way; and
    // nothing stored.
    const DWORD fresh = INTERNET_FLAG_RELOAD | INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_CACHE_WRITE;
    const HINTERNET request = HttpOpenRequestA(connection, "GET", parsed->path.c_str(), nullptr, nullptr, nullptr,
                                               INTERNET_FLAG_KEEP_CONNECTION | fresh | secure, 0);
    if (!Adopt(request)) return std::string();
    SetTimeouts(request);
    if (!HttpSendRequestA(request, nullptr, 0, nullptr, 0)) return std::string();
    if (parsed->secure && !ServerChainPassesRevocationCheck(request)) return std::string();
    if (!Succeeded(request)) return std::string();

    std::string body;
    if (!ReadBody(request, body) || !ArrivedWhole(request, body)) return std::string();
    const std::string received = ExpandLineFeeds(body);
    std::printf("\nContent %s\n", received.c_str());
    return NormaliseListText(received);
  }

  static constexpr int kMaxHandles = 3;
  HANDLE m_done = CreateEventA(nullptr, TRUE, FALSE, nullptr);  // set once the download is over
  CRITICAL_SECTION m_lock;
  HINTERNET m_handles[kMaxHandles] = {};
  int m_handleCount = 0;
  bool m_abandoned = false;
  const std::string m_address;
  const DownloadLimits m_limits;
  std::string m_result;
};

std::string Fetch(const std::string& address, const DownloadLimits& limits) {
  const std::shared_ptr<DownloadJob> job = std::make_shared<DownloadJob>(address, limits);
  if (!job->Started() || !StartDetachedWork([job] { job->Run(); })) return std::string();
  return job->Wait();
}

}  // namespace

std::string FetchProxyList(const std::string& address, const DownloadLimits& limits) {
  try {
    return Fetch(address, limits);
  } catch (...) {  // out of memory: the download counts as failed
    return std::string();
  }
}
