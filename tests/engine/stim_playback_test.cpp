// The record of which traces played their stimulus, and the texts made from it.
#include "stimulation/stimulus_playback.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

constexpr int kS1 = 0;
constexpr int kS2 = 1;

}  // namespace

TEST(StimulusPlayback, AnArmedOutputHasPlayedUntilItsTraceIsRefused) {
    StimulusPlayback playback;
    playback.armed(0, true, false);
    playback.armed(1, true, true);
    EXPECT_TRUE(playback.played(0, kS1));
    EXPECT_FALSE(playback.played(0, kS2)) << "S2 had no pattern in trace 1";
    playback.refused(1);
    EXPECT_FALSE(playback.played(1, kS1));
    EXPECT_FALSE(playback.played(1, kS2));
    EXPECT_TRUE(playback.armedIn(1, kS2));
    EXPECT_TRUE(playback.played(0, kS1));
    EXPECT_EQ(playback.refusedTraceNumbers(), std::vector<std::int64_t>{2});
    EXPECT_EQ(stim::notPlayedStatus(playback), "The stimulus of trace 2 was not played (see the console).");
    EXPECT_EQ(stim::notPlayedSummaryLine(playback), "Stimulus not played in traces: 2");
}

TEST(StimulusPlayback, ClearForgetsTheLastRun) {
    StimulusPlayback playback;
    playback.armed(4, true, false);
    playback.refused(4);
    playback.clear();
    EXPECT_FALSE(playback.armedIn(4, kS1));
    EXPECT_EQ(playback.refusals(), 0u);
    EXPECT_EQ(stim::notPlayedStatus(playback), "");
    EXPECT_EQ(stim::notPlayedSummaryLine(playback), "");
}

TEST(StimulusPlayback, ARefusalBeyondTheTableIsCountedAndNamedButNotListed) {
    StimulusPlayback playback;
    playback.refused(StimulusPlayback::kMaxTraces);
    EXPECT_EQ(playback.refusals(), 1u);
    EXPECT_EQ(stim::notPlayedStatus(playback), "The stimulus of trace 172801 was not played (see the console).");
    EXPECT_TRUE(playback.refusedTraceNumbers().empty());
}

TEST(StimulusPlayback, TraceListsJoinRunsOfConsecutiveTraces) {
    StimulusPlayback playback;
    for (std::int64_t trace : {2, 3, 4, 5, 8}) playback.refused(trace);  // traces 3-6 and 9
    EXPECT_EQ(stim::notPlayedSummaryLine(playback), "Stimulus not played in traces: 3-6, 9");
}

TEST(StimulusPlayback, RefusalsFromSeveralThreadsAreAllKept) {
    StimulusPlayback playback;
    constexpr int kThreads = 4;
    constexpr int kEach = 2000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                const std::int64_t trace = static_cast<std::int64_t>(i) * kThreads + t;
                playback.armed(trace, true, false);
                if (i % 2 == 0) playback.refused(trace);
            }
        });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(playback.refusals(), static_cast<std::uint64_t>(kThreads * kEach / 2));
    const std::vector<std::int64_t> numbers = playback.refusedTraceNumbers();
    ASSERT_EQ(numbers.size(), static_cast<std::size_t>(kThreads * kEach / 2));
    for (std::int64_t n : numbers) EXPECT_EQ((n - 1) / kThreads % 2, 0) << n;
    EXPECT_TRUE(playback.played(1 * kThreads, kS1));  // i = 1 of thread 0: armed, not refused
}
