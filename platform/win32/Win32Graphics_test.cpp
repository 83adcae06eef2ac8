#include "platform/win32/Win32Graphics.h"

#include <gtest/gtest.h>

namespace sealwing::platform {
namespace {

TEST(Win32GraphicsTest, StartsAndStopsGdiPlusMoreThanOnce) {
    Win32Graphics graphics;
    const std::uintptr_t first = graphics.Startup();
    ASSERT_NE(first, 0u);
    const std::uintptr_t second = graphics.Startup();  // a second connection while the first one runs
    ASSERT_NE(second, 0u);
    graphics.Shutdown(second);
    graphics.Shutdown(first);
    const std::uintptr_t again = graphics.Startup();
    EXPECT_NE(again, 0u);
    graphics.Shutdown(again);
    graphics.Shutdown(0);  // a connection whose start failed
}

}  // namespace
}  // namespace sealwing::platform
