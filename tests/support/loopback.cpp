#include "tests/support/loopback.h"

#include <gtest/gtest.h>

namespace {
bool WaitReadable(SOCKET s, int timeoutMs) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval timeout = {timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  return select(0, &set, nullptr, nullptr, &timeout) == 1;
}
}  // namespace

LoopbackListener::LoopbackListener() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof(address);
  EXPECT_EQ(bind(m_listener, reinterpret_cast<sockaddr*>(&address), length), 0);
  EXPECT_EQ(listen(m_listener, 16), 0);
  getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
  m_port = ntohs(address.sin_port);
}

LoopbackListener::~LoopbackListener() {
  closesocket(m_listener);
  WSACleanup();
}

bool LoopbackListener::AcceptAndSeeClosed(int timeoutMs) {
  const SOCKET client = WaitReadable(m_listener, timeoutMs) ? accept(m_listener, nullptr, nullptr) : INVALID_SOCKET;
  char byte;
  const bool closed = WaitReadable(client, timeoutMs) && recv(client, &byte, 1, 0) == 0;
  closesocket(client);
  return closed;
}

TestHttpServer::~TestHttpServer() {
  m_stopping = true;
  m_thread.join();
}

std::string TestHttpServer::ListAddress(const std::string& host) const {
  return "http://" + host + ":" + std::to_string(Port()) + "/services/nimbus/proxy/sortedproxylist.txt";
}

void TestHttpServer::Serve() {
  using Pace = Response::Pace;
  const Response& r = m_response;
  const std::string answer = "HTTP/1.1 " + r.status + "\r\nContent-Type: text/plain\r\nContent-Length: " +
                             std::to_string(r.body.size()) + "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" + r.body;
  while (!m_stopping) {
    if (!WaitReadable(m_listener, 100)) continue;
    const SOCKET client = accept(m_listener, nullptr, nullptr);
    std::string head;
    char buffer[4096];
    for (int got = 0; head.find("\r\n\r\n") == std::string::npos; head.append(buffer, got)) {
      if (!WaitReadable(client, 5000) || (got = recv(client, buffer, sizeof(buffer), 0)) <= 0) break;
    }
    m_requests += head.find("\r\n\r\n") != std::string::npos;
    for (size_t sent = 0, piece; r.pace != Pace::Silent && sent < answer.size() && !m_stopping; sent += piece) {
      piece = send(client, answer.data() + sent, r.pace == Pace::Trickle ? 1 : static_cast<int>(answer.size() - sent), 0);
      for (int wait = 0; r.pace == Pace::Trickle && wait < 20 && !m_stopping; ++wait) Sleep(50);
      if (piece > answer.size()) break;  // a failed send
    }
    while (r.pace == Pace::Silent && !m_stopping) Sleep(50);
    shutdown(client, SD_SEND);
    closesocket(client);
  }
}
