#include "sim/SimGraphics.h"

#include <gtest/gtest.h>

namespace sealwing::sim {
namespace {

TEST(SimGraphics, CountsStartUpsAgainstShutDownsWithDistinctTokens) {
    SimGraphics graphics;
    const auto first = graphics.Startup();
    const auto second = graphics.Startup();
    EXPECT_NE(first, 0u);
    EXPECT_NE(second, 0u);
    EXPECT_NE(first, second);
    EXPECT_EQ(graphics.Running(), 2);
    graphics.Shutdown(first);
    graphics.Shutdown(first);  // twice: the second is a mistake, counted
    graphics.Shutdown(0);
    EXPECT_EQ(graphics.Running(), 1);
    EXPECT_EQ(graphics.BadShutdowns(), 2);

    graphics.failStartup = true;
    EXPECT_EQ(graphics.Startup(), 0u);
    EXPECT_EQ(graphics.Running(), 1);
}

}  // namespace
}  // namespace sealwing::sim
