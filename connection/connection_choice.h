// Which Internet connections a proxy change applies to, from Windows' automatic-dialling values.
// Pure logic, free of Win32.
#pragma once

#include <cstdint>

struct ChosenConnections {
  bool dialUp;  // the default dial-up connection, written first
  bool lan;     // the LAN connection
};

// Only the exact value 1 counts as "on". With automatic dialling on, the default dial-up connection
// is written, and the LAN connection too only when dialling happens just without a network.
ChosenConnections ChooseConnections(uint32_t enableAutodial, uint32_t noNetAutodial);
