#include "toolbar/toolbar_texts.h"

#include "framework/message_box.h"

namespace {

void ShowInformation(HWND owner, const char* text) {
  AfxMessageBox(owner, text, kMessageCaption, MB_OK | MB_ICONINFORMATION);
}

void ShowError(HWND owner, const char* text) { AfxMessageBox(owner, text, kMessageCaption, MB_OK | MB_ICONHAND); }

}  // namespace

std::string ConfirmationText(const ProxyChoice& choice) {
  return "Press Ok to start testing selected proxy:\n" + choice.address + "\nfrom " + choice.location +
         ". This may take a few seconds\nPlease wait...";
}

std::string StatusLabelText(const std::string& activeIP, const std::string& localIP) {
  return "Your IP is: " + (activeIP.empty() ? localIP : activeIP);
}

void ConfirmProxyTest(HWND owner, const ProxyChoice& choice) { ShowInformation(owner, ConfirmationText(choice).c_str()); }

void TellProxyUnavailable(HWND owner) { ShowError(owner, kProxyUnavailableText); }

void TellProxySwitched(HWND owner, SwitchResult result) {
  if (result == SwitchResult::Done) {
    ShowInformation(owner, kProxyConnectedText);
  } else if (IsRefusal(result)) {
    ShowError(owner, kProxyNotSetText);
  }
}

void TellProxyNotRemoved(HWND owner) { ShowError(owner, kProxyNotRemovedText); }

void TellListRefreshComing(HWND owner) { ShowInformation(owner, kListRefreshText); }
