// Real peers on 127.0.0.1 for tests: a listening socket and a small HTTP server, each on a port
// the system picks.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <string>
#include <thread>

// A TCP socket listening on 127.0.0.1 (WinSock started while it lives).
class LoopbackListener {
 public:
  LoopbackListener();
  ~LoopbackListener();
  LoopbackListener(const LoopbackListener&) = delete;
  LoopbackListener& operator=(const LoopbackListener&) = delete;
  unsigned short Port() const { return m_port; }
  // Accepts one connection and tells whether its peer closed it (EOF) within `timeoutMs`.
  bool AcceptAndSeeClosed(int timeoutMs);

 protected:
  SOCKET m_listener;
  unsigned short m_port;
};

// A port on 127.0.0.1 where nobody listens (bound once, then released).
inline unsigned short ClosedLoopbackPort() { return LoopbackListener().Port(); }

// Serves one fixed response to every request, on its own thread.
class TestHttpServer : public LoopbackListener {
 public:
  struct Response {
    std::string body;
    std::string status = "200 OK";
    enum class Pace { Whole, Silent, Trickle } pace = Pace::Whole;  // Silent: never answers; Trickle: a byte a second
  };
  explicit TestHttpServer(Response response) : m_response(std::move(response)), m_thread([this] { Serve(); }) {}
  ~TestHttpServer();
  // The list's address on this server: "http://<host>:<port>/services/nimbus/proxy/sortedproxylist.txt".
  std::string ListAddress(const std::string& host = "127.0.0.1") const;
  int Requests() const { return m_requests; }  // received so far

 private:
  void Serve();

  const Response m_response;
  std::atomic<bool> m_stopping{false};
  std::atomic<int> m_requests{0};
  std::thread m_thread;
};
