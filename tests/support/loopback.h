// Real peers on 127.0.0.1, each on a port the system picks: a listening socket and a small HTTP server.
#pragma once
#include <winsock2.h>
#include <gtest/gtest.h>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include "loopback/listening_socket.h"

inline std::string Loopback(unsigned short port) { return "127.0.0.1:" + std::to_string(port); }
inline bool WaitReadable(SOCKET s, int timeoutMs) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval timeout = {timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  return select(0, &set, nullptr, nullptr, &timeout) == 1;
}

// A TCP socket listening on 127.0.0.1.
class LoopbackListener : public ListeningSocket {
 public:
  LoopbackListener() : ListeningSocket(16) { EXPECT_TRUE(Listening()); }
  // Accepts one connection and tells whether its peer closed it (EOF) within `timeoutMs`.
  bool AcceptAndSeeClosed(int timeoutMs) {
    const SOCKET client = WaitReadable(m_listener, timeoutMs) ? accept(m_listener, nullptr, nullptr) : INVALID_SOCKET;
    char byte;
    const bool closed = WaitReadable(client, timeoutMs) && recv(client, &byte, 1, 0) == 0;
    return closesocket(client), closed;
  }
};

// A port on 127.0.0.1 where nobody listens (bound once, then released).
inline unsigned short ClosedLoopbackPort() { return LoopbackListener().Port(); }

// Serves one response to every request, on its own thread; the answers allow caching.
class TestHttpServer : public LoopbackListener {
 public:
  struct Response {
    std::string body;
    std::string status = "200 OK";
    // Silent: never answers; Trickle: a byte a second; Broken: the connection closes half-way through the body;
    // Held: whole, once Release() is called (until then the server holds the request it read, taking no other);
    // Endless: the body over and over, 32 KiB each 20 ms, without a length; ChunkCut: chunked, a chunk of 1024
    // bytes announced and the body sent (shorter) before the connection closes; NoLastChunk: chunked, the body
    // in one chunk, closed before the last chunk
    enum class Pace { Whole, Silent, Trickle, Broken, Held, Endless, ChunkCut, NoLastChunk } pace = Pace::Whole;
  };
  explicit TestHttpServer(Response response) : m_response(std::move(response)), m_thread([this] { Serve(); }) {}
  ~TestHttpServer() { m_stopping = true, m_thread.join(); }
  std::string ListAddress() const { return "http://" + Loopback(Port()) + "/services/nimbus/proxy/sortedproxylist.txt"; }
  int Requests() const { return m_requests; }  // received so far
  void Release() { m_released = true; }

 private:
  void Serve() {
    using Pace = Response::Pace;
    const Response& r = m_response;
    const bool chunked = r.pace == Pace::ChunkCut || r.pace == Pace::NoLastChunk;
    const std::string framing = chunked ? "Transfer-Encoding: chunked\r\n" : "Content-Length: " + std::to_string(r.body.size()) + "\r\n";
    char chunkSize[16];
    std::snprintf(chunkSize, sizeof(chunkSize), "%x\r\n", r.pace == Pace::ChunkCut ? 1024u : static_cast<unsigned>(r.body.size()));
    const std::string body = chunked ? chunkSize + r.body + (r.pace == Pace::NoLastChunk ? "\r\n" : "") : r.body;
    const std::string answer = "HTTP/1.1 " + r.status + "\r\nContent-Type: text/plain\r\n" +
        (r.pace == Pace::Endless ? "" : framing) + "Cache-Control: max-age=3600\r\nConnection: close\r\n\r\n" + body;
    const size_t length = answer.size() - (r.pace == Pace::Broken ? r.body.size() / 2 : 0);
    std::string piece;  // of an endless body
    while (r.pace == Pace::Endless && piece.size() < 32768) piece += r.body;
    while (!m_stopping) {
      if (!WaitReadable(m_listener, 100)) continue;
      const SOCKET client = accept(m_listener, nullptr, nullptr);
      std::string head;
      char buffer[4096];
      for (int got = 0; head.find("\r\n\r\n") == std::string::npos; head.append(buffer, got)) {
        if (!WaitReadable(client, 5000) || (got = recv(client, buffer, sizeof(buffer), 0)) <= 0) break;
      }
      m_requests += head.find("\r\n\r\n") != std::string::npos;
      while (r.pace == Pace::Held && !m_released && !m_stopping) Sleep(10);
      for (size_t sent = 0, piece; r.pace != Pace::Silent && sent < length && !m_stopping; sent += piece) {
        piece = send(client, answer.data() + sent, r.pace == Pace::Trickle ? 1 : static_cast<int>(length - sent), 0);
        for (int wait = 0; r.pace == Pace::Trickle && wait < 20 && !m_stopping; ++wait) Sleep(50);
        if (piece > answer.size()) break;  // a failed send
      }
      while (r.pace == Pace::Silent && !m_stopping) Sleep(50);
      while (r.pace == Pace::Endless && !m_stopping && send(client, piece.data(), static_cast<int>(piece.size()), 0) > 0) Sleep(20);
      shutdown(client, SD_SEND), closesocket(client);
    }
  }

  const Response m_response;
  std::atomic<bool> m_stopping{false}, m_released{false};
  std::atomic<int> m_requests{0};
  std::thread m_thread;
};
