// Which connections a proxy change writes, from Windows' automatic-dialling values.
#include "connection/connection_choice.h"
#include <gtest/gtest.h>
#include <tuple>

TEST(ChooseConnectionsTest, OnlyExactlyOneIsOnAndDiallingWithoutANetworkAddsTheLan) {
  const struct { uint32_t enableAutodial, noNetAutodial; bool dialUp, lan; } cases[] = {
      {0, 0, false, true}, {0, 1, false, true}, {2, 1, false, true},
      {1, 0, true, false}, {1, 2, true, false}, {1, 1, true, true}};
  for (const auto& c : cases) {
    const ChosenConnections chosen = ChooseConnections(c.enableAutodial, c.noNetAutodial);
    EXPECT_EQ(std::tie(chosen.dialUp, chosen.lan), std::tie(c.dialUp, c.lan))
        << "EnableAutodial " << c.enableAutodial << ", NoNetAutodial " << c.noNetAutodial;
  }
}
