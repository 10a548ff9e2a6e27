// Downloads the proxy list over HTTP or HTTPS, through the system's configured Internet proxy.
// Over HTTPS the server's certificate must be for the host, from a trusted authority, in date and
// not revoked (its revocation must be checkable); anything else fails the download, with no dialog.
#pragma once

#include <string>

// GETs `address` ("http[s]://host[:port]/path") and returns the body normalised into list entries
// (see NormaliseListText); the empty text when anything failed. The status code is not examined:
// an error page is processed like a list. Never throws, never shows a message; blocks its thread
// for the whole download, with WinINet's own time limits.
std::string FetchProxyList(const std::string& address);
