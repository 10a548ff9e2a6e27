// The user's own proxy options of each connection, as they were before the toolbar first put its
// proxy there; kept with the user's settings so that switching off (in the toolbar or through
// quillstop, in any later session) gives them back.
#pragma once

#include <optional>

#include "connection/connection_options.h"

// Keeps `options` as the user's own for `connection` (nullptr: the LAN connection).
void SaveOwnSettings(const char* connection, const ConnectionOptions& options);

// The options kept for `connection`; nullopt when none are kept (or they cannot be read, or they
// belong to another dial-up connection of that role).
std::optional<ConnectionOptions> LoadOwnSettings(const char* connection);

// Forgets the options kept for every connection. False when some could not be removed.
bool ForgetOwnSettings();
