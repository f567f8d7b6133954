#include "stimulation/stim_worker.h"

StimWorker::~StimWorker() {
    cancel();
    join();
}

void StimWorker::start(Body body) {
    join();
    {
        std::lock_guard lock(mutex_);
        cancelled_ = false;
    }
    running_ = true;
    thread_ = std::thread([this, body = std::move(body)] {
        body(*this);
        running_ = false;
    });
}

void StimWorker::cancel() {
    {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
    }
    wake_.notify_all();
}

void StimWorker::join() {
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

bool StimWorker::waitFor(std::chrono::milliseconds duration) {
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, duration, [this] { return cancelled_; });
}

bool StimWorker::cancelled() const {
    std::lock_guard lock(mutex_);
    return cancelled_;
}
