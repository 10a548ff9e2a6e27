// Sockets listening on 127.0.0.1, the peers that the tests and the benchmarks run against; free of
// the test framework.
#pragma once
#include <winsock2.h>
#include <string>
#include <vector>

inline std::string Loopback(unsigned short port) { return "127.0.0.1:" + std::to_string(port); }
inline bool WaitReadable(SOCKET s, int timeoutMs) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval timeout = {timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  return select(0, &set, nullptr, nullptr, &timeout) == 1;
}

// Listens on `port`, or on one the system picks (0); WinSock is started while it lives.
class ListeningSocket {
 public:
  explicit ListeningSocket(int backlog = 16, unsigned short port = 0) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    m_address.sin_family = AF_INET;
    m_address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    m_address.sin_port = htons(port);
    int length = sizeof(m_address);
    m_listening = bind(m_listener, reinterpret_cast<sockaddr*>(&m_address), length) == 0 && listen(m_listener, backlog) == 0 &&
                  getsockname(m_listener, reinterpret_cast<sockaddr*>(&m_address), &length) == 0;
  }
  ~ListeningSocket() { closesocket(m_listener), WSACleanup(); }
  ListeningSocket(const ListeningSocket&) = delete;
  ListeningSocket& operator=(const ListeningSocket&) = delete;
  bool Listening() const { return m_listening; }
  unsigned short Port() const { return ntohs(m_address.sin_port); }

  // Accepts one connection and tells whether its peer closed it (EOF) within `timeoutMs`.
  bool AcceptAndSeeClosed(int timeoutMs) {
    const SOCKET client = WaitReadable(m_listener, timeoutMs) ? accept(m_listener, nullptr, nullptr) : INVALID_SOCKET;
    char byte;
    const bool closed = WaitReadable(client, timeoutMs) && recv(client, &byte, 1, 0) == 0;
    closesocket(client);
    return closed;
  }

 protected:
  SOCKET m_listener;
  sockaddr_in m_address = {};
  bool m_listening;
};

// A port on 127.0.0.1 where nobody listens (bound once, then released).
inline unsigned short ClosedLoopbackPort() { return ListeningSocket().Port(); }

// A proxy that drops connection attempts without a word, as a filtered host does: a backlog of one,
// never accepted, filled by connects of its own, so that further connects wait for the system's
// retries (minutes under Wine).
class SynDroppingListener : public ListeningSocket {
 public:
  SynDroppingListener() : ListeningSocket(1) {
    fd_set connecting;
    FD_ZERO(&connecting);
    for (int i = 0; i < 4; ++i) {
      u_long nonBlocking = 1;
      m_fillers.push_back(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
      ioctlsocket(m_fillers.back(), FIONBIO, &nonBlocking);
      connect(m_fillers.back(), reinterpret_cast<sockaddr*>(&m_address), sizeof(m_address));
      FD_SET(m_fillers.back(), &connecting);
    }
    timeval settle = {0, 500000};  // for the queue to fill; the connects beyond it never end
    select(0, nullptr, &connecting, nullptr, &settle);
  }
  ~SynDroppingListener() {
    for (SOCKET filler : m_fillers) closesocket(filler);
  }

 private:
  std::vector<SOCKET> m_fillers;
};
