// A proxy that drops connection attempts without a word, as a filtered host does: a listener on
// 127.0.0.1 with a backlog of one that never accepts, its queue filled by connects of its own, so
// that further connects wait for the system's retries (minutes under Wine). Free of the test
// framework: the benchmarks use it too.
#pragma once
#include <winsock2.h>
#include <vector>

class SynDroppingListener {
 public:
  SynDroppingListener() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof(address);
    bind(m_listener, reinterpret_cast<sockaddr*>(&address), length);
    listen(m_listener, 1);
    getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
    fd_set connecting;
    FD_ZERO(&connecting);
    for (int i = 0; i < 4; ++i) {
      u_long nonBlocking = 1;
      const SOCKET filler = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
      ioctlsocket(filler, FIONBIO, &nonBlocking);
      connect(filler, reinterpret_cast<sockaddr*>(&address), length);
      m_fillers.push_back(filler);
      FD_SET(filler, &connecting);
    }
    timeval settle = {0, 500000};  // for the queue to fill; the connects beyond it never end
    select(0, nullptr, &connecting, nullptr, &settle);
  }
  ~SynDroppingListener() {
    for (SOCKET filler : m_fillers) closesocket(filler);
    closesocket(m_listener);
    WSACleanup();
  }
  SynDroppingListener(const SynDroppingListener&) = delete;
  SynDroppingListener& operator=(const SynDroppingListener&) = delete;
  unsigned short Port() const { return m_port; }

 private:
  SOCKET m_listener;
  unsigned short m_port = 0;
  std::vector<SOCKET> m_fillers;
};
