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
#include "proxylist/list_download_seam.h"
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

ListDownloadCalls g_calls = WinInetListDownloadCalls();

// A WinINet handle, closed when it goes; only ever on the thread that opened and used it.
class InternetHandle {
 public:
  InternetHandle(HINTERNET handle, const ListDownloadCalls& calls) : m_handle(handle), m_calls(calls) {}
  ~InternetHandle() {
    if (m_handle) m_calls.closeHandle(m_handle);
  }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  operator HINTERNET() const { return m_handle; }

 private:
  const HINTERNET m_handle;
  const ListDownloadCalls& m_calls;
};

// One download, shared by the thread that waits for it and the thread that makes it (see
// StartDetachedWork). The download's thread alone uses and closes its WinINet handles: a waiter
// that gives up only asks it to stop, which it does once the call it is in returns (connecting and
// each wait for data are bounded by the step time-out). A handle closed under a call still running
// would let that call act on whatever request of the browser's is given the same handle value next.
class DownloadJob {
 public:
  DownloadJob(std::string address, const DownloadLimits& limits)
      : m_address(std::move(address)), m_limits(limits), m_calls(g_calls) {
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
    if (!m_stopped) m_result.swap(text);
    LeaveCriticalSection(&m_lock);
    SetEvent(m_done);
  }

  // The waiting thread: the list, or the empty text when it did not arrive in time. Its windows
  // (and a frame in another process whose child windows they are) keep being answered meanwhile.
  std::string Wait() {
    const bool finished = WaitModally(m_done, m_limits.wholeTimeoutMs, WhileWaiting::HandleSentMessages);
    EnterCriticalSection(&m_lock);
    m_stopped = !finished;
    std::string result;
    result.swap(m_result);
    LeaveCriticalSection(&m_lock);
    return result;
  }

 private:
  bool Stopped() {
    EnterCriticalSection(&m_lock);
    const bool stopped = m_stopped;
    LeaveCriticalSection(&m_lock);
    return stopped;
  }

  // Set on every handle: not every WinINet hands a session's time-outs down to its requests.
  void SetTimeouts(HINTERNET handle) const {
    DWORD timeout = m_limits.stepTimeoutMs;
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
      InternetSetOptionA(handle, option, &timeout, sizeof(timeout));
    }
  }

  // The whole body, or false when a read fails, the body grows past the largest list, or the
  // download was stopped.
  bool ReadBody(HINTERNET request, std::string& body) {
    char buffer[4096];
    for (;;) {
      DWORD available = 0;
      if (!m_calls.queryDataAvailable(request, &available, 0, 0) || Stopped()) return false;
      if (available == 0) return true;
      DWORD read = 0;
      if (!m_calls.readFile(request, buffer, available < sizeof(buffer) ? available : sizeof(buffer), &read) ||
          Stopped()) {
        return false;
      }
      if (read == 0) return true;
      if (read > QUILLMASK_LIST_MAX_BYTES - body.size()) return false;
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

  // The length the answer announced, if it did.
  static std::optional<DWORD> AnnouncedLength(HINTERNET request) {
    DWORD length = 0;
    DWORD size = sizeof(length);
    if (!HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size, nullptr)) {
      return std::nullopt;
    }
    return length;
  }

  // Whether the answer shows where its body ends. WinINet ends a body whose connection broke off
  // as if it were whole (and a chunked one cut inside a chunk or before its last chunk too), so a
  // body with a length is checked against it, and a chunked one is refused: the request asks for
  // HTTP/1.0, to which a server sends none. Without either, the body ends where its connection does.
  static bool ShowsItsEnd(HINTERNET request) {
    char coding[64] = {};
    DWORD size = sizeof(coding);
    return !HttpQueryInfoA(request, HTTP_QUERY_TRANSFER_ENCODING, coding, &size, nullptr);
  }

  std::string Download() {
    const std::optional<ListAddress> parsed = ParseListAddress(m_address);
    if (!parsed) return std::string();
    // Over HTTPS WinINet refuses a certificate problem without asking the user; nothing is ignored.
    const DWORD secure = parsed->secure ? INTERNET_FLAG_SECURE | INTERNET_FLAG_NO_UI : 0;

    const InternetHandle session(InternetOpenA(UserAgent().c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0),
                                 m_calls);
    if (!session || Stopped()) return std::string();
    SetTimeouts(session);
    const InternetHandle connection(InternetConnectA(session, parsed->host.c_str(), parsed->port, nullptr, nullptr,
                                                     INTERNET_SERVICE_HTTP, INTERNET_FLAG_KEEP_CONNECTION, 1),
                                    m_calls);
    if (!connection || Stopped()) return std::string();
    SetTimeouts(connection);
    // Always the server's current list: not WinINet's stored copy, nor a proxy's on the way; and
    // nothing stored.
    const DWORD fresh = INTERNET_FLAG_RELOAD | INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_CACHE_WRITE;
    const InternetHandle request(HttpOpenRequestA(connection, "GET", parsed->path.c_str(), "HTTP/1.0", nullptr, nullptr,
                                                  INTERNET_FLAG_KEEP_CONNECTION | fresh | secure, 0),
                                 m_calls);
    if (!request || Stopped()) return std::string();
    SetTimeouts(request);
    if (!m_calls.sendRequest(request, nullptr, 0, nullptr, 0) || Stopped()) return std::string();
    if (parsed->secure && !ServerChainPassesRevocationCheck(request)) return std::string();
    if (!Succeeded(request) || !ShowsItsEnd(request)) return std::string();
    const std::optional<DWORD> announced = AnnouncedLength(request);
    if (announced && *announced > QUILLMASK_LIST_MAX_BYTES) return std::string();  // not worth reading

    std::string body;
    if (!ReadBody(request, body) || (announced && body.size() != *announced)) return std::string();
    const std::string received = ExpandLineFeeds(body);
    std::printf("\nContent %s\n", received.c_str());
    return NormaliseListText(received);
  }

  CRITICAL_SECTION m_lock;
  HANDLE m_done = CreateEventA(nullptr, TRUE, FALSE, nullptr);  // set once the download is over
  bool m_stopped = false;  // the waiter gave up
  const std::string m_address;
  const DownloadLimits m_limits;
  const ListDownloadCalls m_calls;
  std::string m_result;
};

std::string Fetch(const std::string& address, const DownloadLimits& limits) {
  const std::shared_ptr<DownloadJob> job = std::make_shared<DownloadJob>(address, limits);
  if (!job->Started() || !StartDetachedWork([job] { job->Run(); })) return std::string();
  return job->Wait();
}

}  // namespace

ListDownloadCalls WinInetListDownloadCalls() {
  return {HttpSendRequestA, InternetQueryDataAvailable, InternetReadFile, InternetCloseHandle};
}

ListDownloadCalls ReplaceListDownloadCalls(const ListDownloadCalls& calls) {
  const ListDownloadCalls previous = g_calls;
  g_calls = calls;
  return previous;
}

std::string FetchProxyList(const std::string& address, const DownloadLimits& limits) {
  try {
    return Fetch(address, limits);
  } catch (...) {  // out of memory: the download counts as failed
    return std::string();
  }
}
