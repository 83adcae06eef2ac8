#include "platform/Clock.h"

#include <gtest/gtest.h>

namespace sealwing::platform {
namespace {

struct UtcCase {
    std::int64_t seconds;
    const char* expected;
};

TEST(ClockTest, FormatUtcBreaksKnownInstantsDownAsGreenwichTime) {
    const UtcCase cases[] = {
        {0, "1970-01-01 00:00:00"},
        {1709210096, "2024-02-29 12:34:56"},  // a leap day
        {1709251199, "2024-02-29 23:59:59"},  // its last second
        {1709251200, "2024-03-01 00:00:00"},
        {-1, "1969-12-31 23:59:59"},  // negative seconds round towards the earlier day
        {-14182940, "1969-07-20 20:17:40"},
        {-2208988800, "1900-01-01 00:00:00"},   // the first second strftime's tm_year can hold
        {253402300799, "9999-12-31 23:59:59"},  // the last second with a four-digit year
    };
    for (const auto& each : cases) {
        EXPECT_EQ(FormatUtc(each.seconds, "%Y-%m-%d %H:%M:%S"), each.expected) << each.seconds;
    }
}

TEST(ClockTest, FormatUtcGivesEmptyTextForYearsOutsideTheRange) {
    EXPECT_EQ(FormatUtc(-2208988801, "%Y-%m-%d"), "");   // 1899-12-31 23:59:59
    EXPECT_EQ(FormatUtc(253402300800, "%Y-%m-%d"), "");  // 10000-01-01
}

TEST(ClockTest, FormatUtcUsesTheGivenFormat) {
    EXPECT_EQ(FormatUtc(1709210096, "%Y-%m-%d %H:%M\n"), "2024-02-29 12:34\n");
}

TEST(ClockTest, ManualClockAdvanceMovesBothClocksAndSetMovesOnlyTheWallClock) {
    ManualClock clock(100, 7);
    clock.Advance(1500);
    EXPECT_EQ(clock.UtcSeconds(), 101);
    EXPECT_EQ(clock.TickMilliseconds(), 1507u);
    clock.Advance(500);  // the half seconds add up rather than being dropped
    EXPECT_EQ(clock.UtcSeconds(), 102);
    EXPECT_EQ(clock.TickMilliseconds(), 2007u);

    clock.SetUtcSeconds(5000);
    EXPECT_EQ(clock.UtcSeconds(), 5000);
    EXPECT_EQ(clock.TickMilliseconds(), 2007u);
}

}  // namespace
}  // namespace sealwing::platform
