// Who quillstop works for: the user whose desktop it is. The uninstaller runs elevated: with an
// administrator's elevated token, or with another user's who gave their password so that a standard
// user could uninstall. Their connections and their browser are not the desktop user's, so quillstop
// then starts itself again with the token of the desktop's shell and waits for it.
#pragma once

#include <optional>

// When the desktop's shell runs as another user than this process, or unelevated while this process
// runs elevated: runs this program's command line again, in its own folder, with the shell's token
// and the environment of its user, and tells whether that run ended with exit code 0 (false too when
// it could not be started). nullopt when this process is the desktop's user already, or when there
// is no desktop shell (a service, a session without one): this process then does the work itself.
std::optional<bool> RunAgainAsDesktopUser();
