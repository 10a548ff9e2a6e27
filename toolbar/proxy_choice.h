// Cutting a chosen list item into what the proxy selection needs. Pure text logic, free of Win32.
#pragma once

#include <string>
#include <string_view>

struct ProxyChoice {
  std::string address;   // before the first "-" (the whole item without one), blanks kept
  std::string location;  // after the first "-" less the one character that follows it
  std::string host;      // the address before its first ":" (empty without one)
  int port;              // atoi of the address after its first ":" (of the whole address without one)
};

ProxyChoice CutProxyItem(std::string_view item);

// The message shown before a chosen proxy is tested.
std::string ConfirmationText(const ProxyChoice& choice);
// The message shown once a chosen proxy answered (it ends with a blank).
constexpr char kProxyConnectedText[] = "SUCCESS! Quillmask is connected to the chosen proxy ";

// The status label: "Your IP is: " followed by the proxy in use, or else the local address.
std::string StatusLabelText(const std::string& activeIP, const std::string& localIP);
