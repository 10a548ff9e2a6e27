#include "connection/proxy_reachability.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <memory>
#include <string>

#include "build_config.h"
#include "connection/host_address.h"
#include "framework/detached_work.h"
#include "framework/modal_wait.h"

const DWORD kProxyTestTimeoutMs = QUILLMASK_PROXY_TEST_TIMEOUT_MS;

namespace {

// A time limit that several waits share.
class Deadline {
 public:
  explicit Deadline(DWORD timeoutMs) : m_start(GetTickCount()), m_timeoutMs(timeoutMs) {}
  DWORD Left() const {
    const DWORD elapsed = GetTickCount() - m_start;
    return elapsed < m_timeoutMs ? m_timeoutMs - elapsed : 0;
  }

 private:
  const DWORD m_start;
  const DWORD m_timeoutMs;
};

// A name lookup on a thread of its own, which a dead name server cannot make outlast the test:
// past the deadline it is left to end by itself.
struct NameLookup {
  explicit NameLookup(std::string name) : host(std::move(name)) {}
  ~NameLookup() {
    if (done) CloseHandle(done);
  }
  const std::string host;
  const HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  in_addr address = {};
  bool found = false;
};

bool LookUp(const char* host, in_addr& address, const Deadline& deadline) {
  if (InetPtonA(AF_INET, host, &address) == 1) return true;  // never to the name server
  const std::shared_ptr<NameLookup> lookup = std::make_shared<NameLookup>(host);
  if (!lookup->done || !StartDetachedWork([lookup] {
        WSADATA data;
        if (WSAStartup(MAKEWORD(1, 1), &data) == 0) {
          lookup->found = FirstIPv4Address(lookup->host.c_str(), lookup->address);
          WSACleanup();
        }
        SetEvent(lookup->done);
      })) {
    return false;
  }
  if (!WaitModally(lookup->done, deadline.Left(), WhileWaiting::HandleAllMessages) || !lookup->found) return false;
  address = lookup->address;
  return true;
}

// Closes what one connection attempt opened.
class Attempt {
 public:
  Attempt() : m_socket(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)), m_event(WSACreateEvent()) {}
  ~Attempt() {
    if (m_socket != INVALID_SOCKET) closesocket(m_socket);
    if (m_event != WSA_INVALID_EVENT) WSACloseEvent(m_event);
  }
  Attempt(const Attempt&) = delete;
  Attempt& operator=(const Attempt&) = delete;

  // Connects without blocking the thread; true once the proxy accepted within the deadline.
  bool Connect(const sockaddr_in& address, const Deadline& deadline) {
    if (m_socket == INVALID_SOCKET || m_event == WSA_INVALID_EVENT ||
        WSAEventSelect(m_socket, m_event, FD_CONNECT) != 0) {  // the socket no longer blocks
      return false;
    }
    if (connect(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0) return true;
    if (WSAGetLastError() != WSAEWOULDBLOCK) return false;
    WSANETWORKEVENTS events = {};
    return WaitModally(m_event, deadline.Left(), WhileWaiting::HandleAllMessages) &&
           WSAEnumNetworkEvents(m_socket, m_event, &events) == 0 && (events.lNetworkEvents & FD_CONNECT) &&
           events.iErrorCode[FD_CONNECT_BIT] == 0;
  }

 private:
  const SOCKET m_socket;
  const WSAEVENT m_event;
};

// Connects once. True with the ticks the connect took, or false when the proxy cannot be reached.
bool ConnectOnce(const char* host, unsigned int port, DWORD timeoutMs, DWORD& elapsed) {
  const Deadline deadline(timeoutMs);
  sockaddr_in address = {};
  if (!LookUp(host, address.sin_addr, deadline)) return false;
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port & 0xFFFF));

  Attempt attempt;
  const DWORD start = GetTickCount();
  const bool connected = attempt.Connect(address, deadline);
  elapsed = GetTickCount() - start;  // unsigned: right across a wrap of the tick count
  return connected;
}

}  // namespace

unsigned long TestProxy(const char* host, unsigned int port, DWORD timeoutMs) {
  WSADATA data;
  const bool started = WSAStartup(MAKEWORD(1, 1), &data) == 0;  // without WinSock nothing is reachable
  DWORD elapsed = 0;
  const bool reachable = started && host && ConnectOnce(host, port, timeoutMs, elapsed);
  if (started) WSACleanup();
  if (!reachable) return 0;
  return elapsed == 0 ? 1 : elapsed;
}
