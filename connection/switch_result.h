// What a switch of the toolbar's proxy may do, and what it came to: the value the connection writer
// returns, which the broker, the toolbar and quillstop read as it is.
#pragma once

// What a switch to a proxy may do.
enum class ProxySwitch {
  On,    // switch the toolbar's proxy on, or over from the one in use
  Over,  // only replace the toolbar's proxy in use ("Enabled" 1), as the proxy selection flow does
};

// What a switch came to.
enum class SwitchResult {
  Done,
  NotSwitchedOn,  // a switch-over after another window switched the proxy off: nothing changed
  Refused,        // the settings refused a write: nothing changed
  LockNotHad,     // another window's switch did not end in time, or the lock found is not the user's:
                  // nothing changed
  OutOfMemory,    // memory ran out (told to the debugger): a connection written before stays written
  Unanswered,     // only through the broker: it did not answer in time and may still switch
};

// Whether the switch was refused, for whichever reason: the toolbar's state stays as it was.
constexpr bool IsRefusal(SwitchResult result) {
  return result == SwitchResult::Refused || result == SwitchResult::LockNotHad || result == SwitchResult::OutOfMemory;
}
