#include "platform/wait_rules.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint64_t kStart = 1000000;

// Rules whose first test ran at kStart and found no window.
WaitRules TestedOnce(bool hooked) {
    WaitRules rules(hooked);
    rules.Tested(kStart);
    return rules;
}

TEST(WaitRules, TheFirstTestRunsBeforeAnyWait) {
    for (const bool hooked : {true, false}) {
        const WaitRules rules(hooked);
        EXPECT_TRUE(rules.TestDue(kStart));
        EXPECT_EQ(rules.NextWaitMs(kStart), 0u);
    }
}

TEST(WaitRules, WithTheHookTheTestIsRepeatedEvery250Ms) {
    const WaitRules rules = TestedOnce(true);
    EXPECT_FALSE(rules.TestDue(kStart + 249));
    EXPECT_TRUE(rules.TestDue(kStart + 250));
    EXPECT_EQ(rules.NextWaitMs(kStart), 250u);
    EXPECT_EQ(rules.NextWaitMs(kStart + 100), 150u) << "waking for a message keeps the re-check";
    EXPECT_EQ(rules.NextWaitMs(kStart + 400), 0u) << "a late wake-up tests at once";
}

TEST(WaitRules, WithoutTheHookTheTestIsRepeatedEvery25Ms) {
    const WaitRules rules = TestedOnce(false);
    EXPECT_FALSE(rules.TestDue(kStart + 24));
    EXPECT_TRUE(rules.TestDue(kStart + 25));
    EXPECT_EQ(rules.NextWaitMs(kStart + 5), 20u);
}

TEST(WaitRules, AReportedWindowMakesTheTestDueAtOnceAndOnlyOnce) {
    WaitRules rules = TestedOnce(true);
    rules.WindowCreated();
    EXPECT_TRUE(rules.TestDue(kStart + 10));
    EXPECT_EQ(rules.NextWaitMs(kStart + 10), 0u);
    rules.Tested(kStart + 10);
    EXPECT_FALSE(rules.TestDue(kStart + 11));
    EXPECT_EQ(rules.NextWaitMs(kStart + 10), 250u) << "the re-check counts from the last test";
}

TEST(WaitRules, AWaitThatTimedOutRunsTheTestAloneWhateverTheClockSays) {
    WaitRules rules = TestedOnce(true);
    ASSERT_TRUE(rules.LookAtQueueAndProcess()) << "before the first wait";
    rules.Waited(true);
    EXPECT_FALSE(rules.LookAtQueueAndProcess());
    EXPECT_TRUE(rules.TestDue(kStart + 240)) << "a coarse clock may lag the wait's time-out";
    rules.Tested(kStart + 240);
    rules.Waited(false);
    EXPECT_TRUE(rules.LookAtQueueAndProcess());
    EXPECT_FALSE(rules.TestDue(kStart + 241)) << "a message is no reason to look for Outlook";
}

TEST(WaitRules, AfterAQuitOnlyTheProcessAndThe25MsTestAreWatched) {
    WaitRules rules = TestedOnce(true);
    ASSERT_TRUE(rules.WatchesQueue());
    rules.QuitTaken();
    EXPECT_FALSE(rules.WatchesQueue());
    EXPECT_EQ(rules.NextWaitMs(kStart), 25u);
}

TEST(WaitRules, TheProcessHasEndedWhenSignalledOrWhenItsCodeIsNotStillActive) {
    WaitRules rules(true);
    EXPECT_FALSE(rules.ProcessEnded(false, kStillActive));
    EXPECT_FALSE(rules.ProcessEnded(false, std::nullopt)) << "a failed read keeps 259";
    EXPECT_TRUE(rules.ProcessEnded(true, kStillActive)) << "ended with code 259";
    EXPECT_TRUE(rules.ProcessEnded(false, 0u));
    EXPECT_TRUE(WaitRules(true).ProcessEnded(false, std::nullopt)) << "no code read yet: 0";
}

} // namespace
