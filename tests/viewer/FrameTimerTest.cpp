#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "FrameTimer.h"

namespace {

using ::testing::Each;
using ::testing::Ge;
using ::testing::Lt;

class FrameTimer : public ::testing::Test {
protected:
    FrameTimer() { frameTimer = FrameTimerState{}; }

    // Records a frame that began `seconds` ago.
    static void recordFrameOf(double seconds) {
        frameTimer.frameStart = currentSeconds() - seconds;
        recordFrame();
    }
};

TEST_F(FrameTimer, StartingFillsBothRingsButTheMeansAreTheStartingValues) {
    const double before = currentSeconds();
    startFrameTimer();
    EXPECT_THAT(frameTimer.fpsHistory, Each(75.0));
    EXPECT_THAT(frameTimer.spfHistory, Each(0.01333));
    EXPECT_GE(frameTimer.frameStart, before);
    EXPECT_LE(frameTimer.frameStart, currentSeconds());
    EXPECT_EQ(frameTimer.historyPos, 0u);
    EXPECT_FALSE(frameTimer.historyFull);
    EXPECT_EQ(averageFrameSeconds(), 0.01333);
    EXPECT_EQ(averageFrameRate(), 75.0);
}

TEST_F(FrameTimer, RecordsTheTimeSinceTheLastMarkAndMarksAgain) {
    startFrameTimer();
    recordFrameOf(0.5);
    EXPECT_EQ(frameTimer.historyPos, 1u);
    EXPECT_THAT(frameTimer.spfHistory[0], Ge(0.5));
    EXPECT_THAT(frameTimer.spfHistory[0], Lt(0.5 + 1.0));
    EXPECT_THAT(frameTimer.fpsHistory[0], Lt(2.0));
    EXPECT_THAT(frameTimer.fpsHistory[0], Ge(1.0 / 1.5));
    EXPECT_LE(currentSeconds() - frameTimer.frameStart, 1.0);
}

TEST_F(FrameTimer, MeansCountOnlyTheRecordedFrames) {
    startFrameTimer();
    frameTimer.spfHistory[0] = 0.01;
    frameTimer.spfHistory[1] = 0.02;
    frameTimer.spfHistory[2] = 0.06;
    frameTimer.fpsHistory[0] = 100.0;
    frameTimer.fpsHistory[1] = 50.0;
    frameTimer.fpsHistory[2] = 30.0;
    frameTimer.historyPos = 3;
    EXPECT_DOUBLE_EQ(averageFrameSeconds(), 0.03);
    EXPECT_DOUBLE_EQ(averageFrameRate(), 60.0);
}

TEST_F(FrameTimer, WrapsAfterAHundredFramesAndThenMeansOverAllOfThem) {
    startFrameTimer();
    for (std::uint32_t slot = 0; slot < frameHistoryLength; ++slot) frameTimer.spfHistory[slot] = slot + 1.0;
    frameTimer.historyPos = frameHistoryLength - 1;
    recordFrameOf(1000.0);
    EXPECT_EQ(frameTimer.historyPos, 0u);
    EXPECT_TRUE(frameTimer.historyFull);
    EXPECT_THAT(frameTimer.spfHistory[99], Ge(1000.0));

    recordFrameOf(2000.0);
    EXPECT_EQ(frameTimer.historyPos, 1u);
    EXPECT_TRUE(frameTimer.historyFull);
    EXPECT_THAT(frameTimer.spfHistory[0], Ge(2000.0));
    EXPECT_EQ(frameTimer.spfHistory[1], 2.0);
    // Slots 1 to 98 hold 2 to 99 (4949 together).
    EXPECT_NEAR(averageFrameSeconds(), (4949.0 + 1000.0 + 2000.0) / 100.0, 0.1);
}

}  // namespace
