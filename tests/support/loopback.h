// Real peers on 127.0.0.1 for tests: a listening socket and a small HTTP server, each on a port
// the system picks.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Keeps WinSock started for the lifetime of the object.
class WinsockUser {
 public:
  WinsockUser();
  ~WinsockUser();
  WinsockUser(const WinsockUser&) = delete;
  WinsockUser& operator=(const WinsockUser&) = delete;
};

// A TCP socket listening on 127.0.0.1.
class LoopbackListener : private WinsockUser {
 public:
  LoopbackListener();
  ~LoopbackListener();
  unsigned short Port() const { return m_port; }
  // Accepts one connection and tells whether its peer closed it (EOF) within `timeoutMs`.
  bool AcceptAndSeeClosed(int timeoutMs);

 private:
  unsigned short m_port;  // before m_listener: filled in while the listener is made
  SOCKET m_listener;
};

// A port on 127.0.0.1 where nobody listens (bound once, then released).
unsigned short ClosedLoopbackPort();

// Serves one fixed response to every request, on its own thread.
class TestHttpServer : private WinsockUser {
 public:
  struct Response {
    std::string body;
    std::string status = "200 OK";
    bool closeMidBody = false;  // announce the whole length, send half, close
    enum class Pace { Whole, Silent, Trickle } pace = Pace::Whole;  // Silent: never answers; Trickle: a byte a second
  };

  explicit TestHttpServer(Response response);
  ~TestHttpServer();

  unsigned short Port() const { return m_port; }
  // The list's address on this server: "http://<host>:<port>/services/nimbus/proxy/sortedproxylist.txt".
  std::string ListAddress(const std::string& host = "127.0.0.1") const;
  // The head (request line and header lines) of every request received so far.
  std::vector<std::string> RequestHeads();

 private:
  void Serve();
  void Answer(SOCKET client);

  Response m_response;
  unsigned short m_port;  // before m_listener: filled in while the listener is made
  SOCKET m_listener;
  std::atomic<bool> m_stopping{false};
  std::mutex m_lock;
  std::vector<std::string> m_heads;
  std::thread m_thread;
};
