// What the toolbar says: the texts of its buttons, its label and its message boxes, and the helpers
// that show the boxes (caption "Quillmask", modal, owned by the control that handles the command).
// The texts themselves are pure logic, free of Win32.
#pragma once

#include <windows.h>

#include <string>

#include "connection/connection_proxy.h"
#include "proxylist/proxy_choice.h"

// The buttons' texts, in the order of their indices (each ended by a NUL; the literal adds the
// final one).
constexpr char kButtonTexts[] = "Enable\0Disable\0Help\0Update proxy list\0";
constexpr INT_PTR kEnableTextIndex = 0;
constexpr INT_PTR kDisableTextIndex = 1;
constexpr INT_PTR kHelpTextIndex = 2;
constexpr INT_PTR kUpdateTextIndex = 3;

// The message shown before a chosen proxy is tested.
std::string ConfirmationText(const ProxyChoice& choice);
// The message shown once a chosen proxy answered (it ends with a blank).
constexpr char kProxyConnectedText[] = "SUCCESS! Quillmask is connected to the chosen proxy ";
// The message shown when a chosen proxy did not accept the test's connection (it ends with a blank).
constexpr char kProxyUnavailableText[] =
    "UNAVAILABLE PROXY!\nQuillmask could not connect to the chosen proxy.\nPlease choose another proxy ";
constexpr char kListRefreshText[] = "Proxy list will be refreshed in the next IE browser window you open!";

// The status label: "Your IP is: " followed by the proxy in use, or else the local address.
std::string StatusLabelText(const std::string& activeIP, const std::string& localIP);

// Which proxy is about to be tested; returns once the user closed the box.
void ConfirmProxyTest(HWND owner, const ProxyChoice& choice);
// That the chosen proxy cannot be reached.
void TellProxyUnavailable(HWND owner);
// What a switch to the chosen proxy came to: success once the settings took it, an error when they
// refused it. A switch-over that found the proxy switched off, or a broker that did not answer,
// tells nothing: the state as it is is all there is to show.
void TellProxySwitched(HWND owner, SwitchResult result);
// That the switch-off was refused and the proxy is still in use.
void TellProxyNotRemoved(HWND owner);
// That the next new toolbar will download the list.
void TellListRefreshComing(HWND owner);
