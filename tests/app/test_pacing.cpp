// test_pacing.cpp -- when --fps lets each frame come: on average on the rate, late frames made up, stalls not.
#include <gtest/gtest.h>

#include "app/pacing.h"

TEST(Pacing, FramesComeWhenDueLateOnesAreMadeUpAndAStallStartsAfresh)
{
    const struct {
        double interval, now, wake, nextDue;
    } steps[] = {
        {0.01, 5.000, 5.000, 5.010},  // the first frame at once
        {0.01, 5.002, 5.010, 5.020},  // early: sleeps until due
        {0.01, 5.025, 5.025, 5.030},  // late: at once, and the next from the due time
        {0.01, 5.026, 5.030, 5.040},
        {0.01, 5.900, 5.900, 5.050},  // 0.86 s behind: made up, frame by frame
        {0.01, 7.000, 7.000, 7.010},  // over a second behind: afresh
        {1.00, 7.900, 7.900, 8.010},  // one a second: late, made up
        {1.00, 9.500, 9.500, 10.50},  // 1.49 s behind: afresh
    };
    PaceClock clock;
    for (const auto& s : steps) {
        SCOPED_TRACE(s.now);
        EXPECT_DOUBLE_EQ(paceSchedule(clock, s.now, s.interval), s.wake);
        EXPECT_NEAR(clock.due, s.nextDue, 1e-9);
    }
}

TEST(Pacing, UnevenFramesKeepTheAverageRate)
{
    PaceClock clock;
    const double interval = 1.0 / 60;
    double now = 100.0, first = 0.0;
    for (int frame = 0; frame < 600; frame++) {
        now = paceSchedule(clock, now, interval);
        if (frame == 0)
            first = now;
        // Every seventh frame takes two and a half intervals to draw.
        now += frame % 7 == 3 ? 2.5 * interval : 0.2 * interval;
    }
    EXPECT_NEAR(clock.due - first, 600 * interval, 1e-6);
}
