// A small HTTP server on 127.0.0.1 that stands in for the list host: one response to every request,
// at a chosen pace.
#pragma once
#include <winsock2.h>
#include <atomic>
#include <string>
#include <thread>
#include "loopback/listening_socket.h"

// Serves one response to every request, on its own thread while it listens; the answers allow caching.
class ListServer : public ListeningSocket {
 public:
  struct Response {
    std::string body;
    std::string status = "200 OK";
    // Whole: with its length. Silent: never answers. Trickle: a byte a second. Broken: closed half-way
    // through the body. Held: whole once Release() is called, holding the request it read until then.
    // Endless: the body over and over, 32 KiB each 20 ms, without a length. ChunkCut: chunked, a chunk
    // of 1024 bytes announced and the (shorter) body sent before the connection closes.
    enum class Pace { Whole, Silent, Trickle, Broken, Held, Endless, ChunkCut } pace = Pace::Whole;
  };
  // On `port`, or on one the system picks (0).
  explicit ListServer(Response response, unsigned short port = 0)
      : ListeningSocket(16, port), m_response(std::move(response)) {
    if (Listening()) m_thread = std::thread([this] { Serve(); });
  }
  ~ListServer() {
    m_stopping = true;
    if (m_thread.joinable()) m_thread.join();
  }
  std::string ListAddress() const { return "http://" + Loopback(Port()) + "/proxy/sortedproxylist.txt"; }
  int Requests() const { return m_requests; }  // received so far
  void Release() { m_released = true; }

 private:
  using Pace = Response::Pace;

  void Serve() {
    const Pace pace = m_response.pace;
    std::string head = "HTTP/1.1 " + m_response.status + "\r\nContent-Type: text/plain\r\n" +
                       "Cache-Control: max-age=3600\r\nConnection: close\r\n";
    std::string body = m_response.body;
    if (pace == Pace::ChunkCut) {
      head += "Transfer-Encoding: chunked\r\n";
      body = "400\r\n" + body;
    } else if (pace != Pace::Endless) {
      head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    }
    if (pace == Pace::Broken) body.resize(body.size() / 2);
    while (pace == Pace::Endless && body.size() < 32768) body += m_response.body;
    const std::string answer = head + "\r\n" + body;
    while (!m_stopping) {
      if (!WaitReadable(m_listener, 100)) continue;
      const SOCKET client = accept(m_listener, nullptr, nullptr);
      std::string request;
      char buffer[4096];
      for (int got = 0; request.find("\r\n\r\n") == std::string::npos; request.append(buffer, got)) {
        if (!WaitReadable(client, 5000) || (got = recv(client, buffer, sizeof(buffer), 0)) <= 0) break;
      }
      m_requests += request.find("\r\n\r\n") != std::string::npos;
      while ((pace == Pace::Silent || (pace == Pace::Held && !m_released)) && !m_stopping) Sleep(10);
      const int step = pace == Pace::Trickle ? 1 : static_cast<int>(answer.size());  // a blocking send sends all
      for (size_t sent = 0; sent < answer.size() && !m_stopping && send(client, &answer[sent], step, 0) == step;) {
        sent += step;
        for (int wait = 0; pace == Pace::Trickle && wait < 100 && !m_stopping; ++wait) Sleep(10);
      }
      while (pace == Pace::Endless && !m_stopping && send(client, body.data(), static_cast<int>(body.size()), 0) > 0) {
        Sleep(20);
      }
      shutdown(client, SD_SEND);
      closesocket(client);
    }
  }

  const Response m_response;
  std::atomic<bool> m_stopping{false}, m_released{false};
  std::atomic<int> m_requests{0};
  std::thread m_thread;
};
