// Downloads the proxy list over HTTP or HTTPS, through the system's configured Internet proxy.
// Over HTTPS the server's certificate must be for the host, from a trusted authority, in date and
// not revoked (its revocation must be checkable); anything else fails the download, with no dialog.
#pragma once

#include <windows.h>

#include <string>

// How long a list download may keep its caller waiting.
struct DownloadLimits {
  DWORD stepTimeoutMs;   // connecting, sending, and each wait for data to arrive
  DWORD wholeTimeoutMs;  // the whole download, however its server dawdles
};

// The build's limits.
extern const DownloadLimits kListDownloadLimits;

// GETs `address` ("http[s]://host[:port]/path") from the server itself (no cached copy is used or
// kept), as HTTP/1.0, and returns the body of a 2xx answer normalised into list entries (see
// NormaliseListText); the empty text when anything failed, the answer was not 2xx, its body is
// larger than the largest list (QUILLMASK_LIST_MAX_BYTES), broke off before the announced length or
// came chunked (whose cut WinINet does not tell), or time ran out. Never throws, never shows a
// message.
//
// The download runs on a thread of its own, which the caller waits for at most
// `limits.wholeTimeoutMs`, answering the messages sent to its windows meanwhile (see
// WaitModally); a download still running then is abandoned: its thread stops once the WinINet call
// it is in returns (connecting and each wait for data are bounded by `limits.stepTimeoutMs`) and
// closes its handles itself, keeping the module loaded until it has.
std::string FetchProxyList(const std::string& address, const DownloadLimits& limits = kListDownloadLimits);
