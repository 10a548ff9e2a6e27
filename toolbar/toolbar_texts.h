// What the toolbar says about a chosen proxy. Pure text logic, free of Win32.
#pragma once

#include <string>

#include "proxylist/proxy_choice.h"

// The message shown before a chosen proxy is tested.
std::string ConfirmationText(const ProxyChoice& choice);
// The message shown once a chosen proxy answered (it ends with a blank).
constexpr char kProxyConnectedText[] = "SUCCESS! Quillmask is connected to the chosen proxy ";

// The status label: "Your IP is: " followed by the proxy in use, or else the local address.
std::string StatusLabelText(const std::string& activeIP, const std::string& localIP);
