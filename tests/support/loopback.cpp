#include "tests/support/loopback.h"

#include <gtest/gtest.h>

namespace {

SOCKET ListenOnLoopback(unsigned short& port) {
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  EXPECT_NE(s, INVALID_SOCKET);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  EXPECT_EQ(bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  EXPECT_EQ(listen(s, 16), 0);
  int length = sizeof(address);
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return s;
}

bool WaitReadable(SOCKET s, int timeoutMs) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval timeout = {timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  return select(0, &set, nullptr, nullptr, &timeout) == 1;
}

void SendAll(SOCKET s, const char* data, size_t size) {
  while (size > 0) {
    const int sent = send(s, data, static_cast<int>(std::min<size_t>(size, 1 << 16)), 0);
    if (sent <= 0) return;
    data += sent;
    size -= static_cast<size_t>(sent);
  }
}

}  // namespace

WinsockUser::WinsockUser() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
}

WinsockUser::~WinsockUser() { WSACleanup(); }

LoopbackListener::LoopbackListener() : m_port(0), m_listener(ListenOnLoopback(m_port)) {}

LoopbackListener::~LoopbackListener() { closesocket(m_listener); }

bool LoopbackListener::AcceptAndSeeClosed(int timeoutMs) {
  if (!WaitReadable(m_listener, timeoutMs)) return false;
  const SOCKET client = accept(m_listener, nullptr, nullptr);
  if (client == INVALID_SOCKET) return false;
  char byte;
  const bool closed = WaitReadable(client, timeoutMs) && recv(client, &byte, 1, 0) == 0;
  closesocket(client);
  return closed;
}

unsigned short ClosedLoopbackPort() {
  WinsockUser winsock;
  unsigned short port = 0;
  closesocket(ListenOnLoopback(port));
  return port;
}

TestHttpServer::TestHttpServer(Response response)
    : m_response(std::move(response)), m_port(0), m_listener(ListenOnLoopback(m_port)), m_thread([this] { Serve(); }) {}

TestHttpServer::~TestHttpServer() {
  m_stopping = true;
  closesocket(m_listener);
  m_thread.join();
}

std::string TestHttpServer::ListAddress(const std::string& host) const {
  return "http://" + host + ":" + std::to_string(m_port) + "/services/nimbus/proxy/sortedproxylist.txt";
}

std::vector<std::string> TestHttpServer::RequestHeads() {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_heads;
}

void TestHttpServer::Serve() {
  while (!m_stopping) {
    if (!WaitReadable(m_listener, 100)) continue;
    const SOCKET client = accept(m_listener, nullptr, nullptr);
    if (client == INVALID_SOCKET) continue;
    Answer(client);
    closesocket(client);
  }
}

void TestHttpServer::Answer(SOCKET client) {
  std::string head;
  char buffer[4096];
  while (head.find("\r\n\r\n") == std::string::npos) {
    if (!WaitReadable(client, 5000)) return;
    const int received = recv(client, buffer, sizeof(buffer), 0);
    if (received <= 0) return;
    head.append(buffer, static_cast<size_t>(received));
  }
  {
    std::lock_guard<std::mutex> guard(m_lock);
    m_heads.push_back(head.substr(0, head.find("\r\n\r\n")));
  }
  using Pace = Response::Pace;
  if (m_response.pace == Pace::Silent) {
    while (!m_stopping) Sleep(50);
    return;
  }
  const std::string header = "HTTP/1.1 " + m_response.status + "\r\nContent-Type: text/plain\r\nContent-Length: " +
                             std::to_string(m_response.body.size()) +
                             "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n";
  const size_t bodyBytes = m_response.closeMidBody ? m_response.body.size() / 2 : m_response.body.size();
  const std::string answer = header + m_response.body.substr(0, bodyBytes);
  if (m_response.pace == Pace::Trickle) {
    for (size_t i = 0; i < answer.size() && !m_stopping; ++i) {
      SendAll(client, &answer[i], 1);
      for (int wait = 0; wait < 20 && !m_stopping; ++wait) Sleep(50);
    }
  } else {
    SendAll(client, answer.data(), answer.size());
  }
  shutdown(client, SD_SEND);
}
