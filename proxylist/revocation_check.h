// The revocation check of the list server's certificate. WinINet's own follows the user's Internet
// settings (and Wine's WinINet does none), so the download does it itself.
#pragma once

#include <windows.h>
#include <wininet.h>

// Whether the certificate chain that the server of `request` presented, already accepted by
// WinINet, also passes a revocation check of every certificate but the root: its CRL could be
// fetched and does not list it. A revoked certificate, one whose revocation cannot be checked
// (no distribution point, an unreachable CRL), any other error of the chain, or a chain WinINet
// cannot give, all give false. Call after HttpSendRequest succeeded over HTTPS.
bool ServerChainPassesRevocationCheck(HINTERNET request);
