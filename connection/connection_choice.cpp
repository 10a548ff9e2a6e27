#include "connection/connection_choice.h"

ChosenConnections ChooseConnections(uint32_t enableAutodial, uint32_t noNetAutodial) {
  if (enableAutodial != 1) return {false, true};
  return {true, noNetAutodial == 1};
}
