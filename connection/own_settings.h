// The user's own proxy options of each connection, as they were before the toolbar first put its
// proxy there; kept with the user's settings so that switching off (in the toolbar or through
// quillstop, in any later session) gives them back.
#pragma once

#include <optional>
#include <string>

#include "connection/connection_options.h"

struct KeptSettings {
  ConnectionOptions own;     // the user's options
  std::string toolbarProxy;  // the proxy the toolbar last put into the connection; empty if unknown
};

// Keeps `options` as the user's own for `connection` (nullptr: the LAN connection), unless a copy is
// kept in its place already: the first copy is the user's. The dial-up place holds one copy, of the
// dial-up connection that came first. True when `options` were kept.
bool KeepOwnSettings(const char* connection, const ConnectionOptions& options);

// Notes `proxy` as the toolbar's in the copy kept for `connection`, if there is one: the connection
// may keep it after the toolbar's state has moved on (it was not chosen at the last switch).
void NoteToolbarProxy(const char* connection, const std::string& proxy);

// What is kept for `connection`; nullopt when nothing is (or it cannot be read, or it belongs to
// another dial-up connection).
std::optional<KeptSettings> LoadOwnSettings(const char* connection);

// Forgets what is kept for `connection`; a copy of another dial-up connection stays.
void ForgetOwnSettings(const char* connection);
