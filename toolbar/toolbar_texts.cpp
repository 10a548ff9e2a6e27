#include "toolbar/toolbar_texts.h"

std::string ConfirmationText(const ProxyChoice& choice) {
  return "Press Ok to start testing selected proxy:\n" + choice.address + "\nfrom " + choice.location +
         ". This may take a few seconds\nPlease wait...";
}

std::string StatusLabelText(const std::string& activeIP, const std::string& localIP) {
  return "Your IP is: " + (activeIP.empty() ? localIP : activeIP);
}
