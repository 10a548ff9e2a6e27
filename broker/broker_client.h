// The band's side of the broker: runs quillbroker.exe (which the browser starts at medium integrity,
// as the installer's elevation policy asks) with one request and waits for its answer.
#pragma once

#include <windows.h>

#include <string>

#include "broker/broker_request.h"
#include "framework/modal_wait.h"

// Runs the broker with `request` and waits at most `timeoutMs` for its exit code, the thread
// handling `messages` meanwhile. Refused when the broker cannot be started (or its exit code not be
// read), Unanswered when it has not ended in time.
BrokerResult AskBroker(const BrokerRequest& request, WhileWaiting messages, DWORD timeoutMs);

// Tests run the broker from elsewhere (empty: quillbroker.exe beside this module) and get the
// path replaced.
std::string ReplaceBrokerPath(std::string path);
