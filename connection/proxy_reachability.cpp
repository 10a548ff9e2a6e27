#include "connection/proxy_reachability.h"

#include <winsock2.h>

#include "connection/host_address.h"
#include "framework/message_box.h"

namespace {

constexpr char kUnavailableText[] =
    "UNAVAILABLE PROXY!\nQuillmask could not connect to the chosen proxy.\nPlease choose another proxy ";

// Connects once. True with the ticks the connect took, or false when the proxy cannot be reached.
bool ConnectOnce(const char* host, unsigned int port, DWORD& elapsed) {
  sockaddr_in address = {};
  if (!FirstIPv4Address(host, address.sin_addr)) return false;

  const SOCKET socketHandle = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (socketHandle == INVALID_SOCKET) return false;

  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port & 0xFFFF));

  const DWORD start = GetTickCount();
  const bool connected = connect(socketHandle, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
  elapsed = GetTickCount() - start;  // unsigned: right across a wrap of the tick count
  closesocket(socketHandle);
  return connected;
}

}  // namespace

unsigned long TestProxy(HWND owner, const char* host, unsigned int port) {
  WSADATA data;
  const bool started = WSAStartup(MAKEWORD(1, 1), &data) == 0;  // without WinSock nothing is reachable
  DWORD elapsed = 0;
  const bool reachable = started && host && ConnectOnce(host, port, elapsed);
  if (started) WSACleanup();
  if (!reachable) {
    AfxMessageBox(owner, kUnavailableText, kMessageCaption, MB_OK | MB_ICONHAND);
    return 0;
  }
  return elapsed == 0 ? 1 : elapsed;
}
