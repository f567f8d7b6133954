// One thread slot of the stimulus output (threadF1F2 … threadMNL): runs a body
// once on its own thread. The body's waits end at once when the interface
// thread cancels, so "Stop Stim", a pause or the end of a run never waits out a
// pattern, and no worker outlives the slot (the destructor cancels and joins).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class StimWorker {
public:
    using Body = std::function<void(StimWorker&)>;

    StimWorker() = default;
    ~StimWorker();
    StimWorker(const StimWorker&) = delete;
    StimWorker& operator=(const StimWorker&) = delete;

    // Runs `body` on a new thread, after joining the slot's previous one.
    void start(Body body);
    // Ends the body's current and future waits at once; the body does no more.
    void cancel();
    // Waits for the thread to finish (nothing when none was started).
    void join();
    bool running() const { return running_; }

    // For the body: waits `duration`; false when cancelled.
    bool waitFor(std::chrono::milliseconds duration);
    bool cancelled() const;

private:
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool cancelled_ = false;
    std::atomic<bool> running_{false};
};
