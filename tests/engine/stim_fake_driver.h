// A recording driver for the stimulation tests: every call is logged with its
// arguments in one line of text, the analog patterns and digital words written
// are kept, and any operation can be made to fail from its n-th call on.
// Thread-safe, since the stimulus workers call it from their own threads.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "acquisition/daqmx.h"

class StimRecordingDriver : public daqmx::Driver {
public:
    using int32 = daqmx::int32;
    using TaskHandle = daqmx::TaskHandle;

    // Tasks it creates are numbered from here, clear of handles a test sets itself.
    static constexpr std::intptr_t kFirstTask = 101;

    struct Failure {
        int32 status;
        int fromCall;  // 1-based: calls before this one succeed
    };

    std::string name() const override { return "Recording"; }
    bool isSimulated() const override { return true; }

    // Makes operation `op` fail with `status` from its `fromCall`-th call on.
    void fail(const std::string& op, int32 status, int fromCall = 1) {
        std::lock_guard lock(mutex_);
        failures_[op] = {status, fromCall};
    }
    // Called (outside the lock) at every analog write, e.g. to pace the writes.
    void onWrite(std::function<void()> hook) {
        std::lock_guard lock(mutex_);
        writeHook_ = std::move(hook);
    }

    std::vector<std::string> calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    // Calls whose line starts with `prefix`.
    std::vector<std::string> callsOf(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& c : calls())
            if (c.rfind(prefix, 0) == 0) out.push_back(c);
        return out;
    }
    int count(const std::string& prefix) const { return static_cast<int>(callsOf(prefix).size()); }
    std::vector<std::vector<double>> analogWrites() const {
        std::lock_guard lock(mutex_);
        return analog_;
    }
    std::vector<std::uint32_t> digitalWords() const {
        std::lock_guard lock(mutex_);
        return digital_;
    }
    // Back to a fresh driver: no calls, failures, hook or tasks.
    void reset() {
        std::lock_guard lock(mutex_);
        calls_.clear();
        callCount_.clear();
        failures_.clear();
        analog_.clear();
        digital_.clear();
        writeHook_ = nullptr;
        lastError_.clear();
        tasks_ = kFirstTask - 1;
    }

    int32 DAQmxCreateTask(const char*, TaskHandle* handle) override {
        std::lock_guard lock(mutex_);
        int32 s = record("CreateTask", "CreateTask");
        if (s >= 0) *handle = reinterpret_cast<TaskHandle>(static_cast<std::intptr_t>(++tasks_));
        return s;
    }
    int32 DAQmxCreateAIVoltageChan(TaskHandle t, const char* ch, const char*, int32, double, double, int32,
                                   const char*) override {
        std::lock_guard lock(mutex_);
        return record("CreateAIVoltageChan", line("CreateAIVoltageChan", t) + " " + ch);
    }
    int32 DAQmxCreateAOVoltageChan(TaskHandle t, const char* ch, const char*, double mn, double mx, int32 units,
                                   const char*) override {
        std::lock_guard lock(mutex_);
        std::ostringstream os;
        os << line("CreateAOVoltageChan", t) << " " << ch << " " << mn << " " << mx << " " << units;
        return record("CreateAOVoltageChan", os.str());
    }
    int32 DAQmxCreateDOChan(TaskHandle t, const char* lines, const char* name, int32 grouping) override {
        std::lock_guard lock(mutex_);
        std::ostringstream os;
        os << line("CreateDOChan", t) << " " << lines << " '" << name << "' " << grouping;
        return record("CreateDOChan", os.str());
    }
    int32 DAQmxCfgSampClkTiming(TaskHandle t, const char* source, double rate, int32 edge, int32 mode,
                                daqmx::uInt64 samples) override {
        std::lock_guard lock(mutex_);
        std::ostringstream os;
        os << line("CfgSampClkTiming", t) << " " << source << " " << rate << " " << edge << " " << mode << " "
           << samples;
        return record("CfgSampClkTiming", os.str());
    }
    int32 DAQmxReadAnalogF64(TaskHandle t, int32 n, double, daqmx::bool32, double data[], daqmx::uInt32 size,
                             int32* read, daqmx::bool32*) override {
        std::lock_guard lock(mutex_);
        int32 s = record("ReadAnalogF64", line("ReadAnalogF64", t));
        if (s < 0) return s;
        std::fill(data, data + size, 0.0);
        if (read) *read = n;
        return s;
    }
    int32 DAQmxWriteAnalogF64(TaskHandle t, int32 n, daqmx::bool32 autoStart, double timeout,
                              daqmx::bool32 layout, const double data[], int32* written,
                              daqmx::bool32* reserved) override {
        std::function<void()> hook;
        {
            std::lock_guard lock(mutex_);
            hook = writeHook_;
        }
        if (hook) hook();
        std::lock_guard lock(mutex_);
        std::ostringstream os;
        os << line("WriteAnalogF64", t) << " " << n << " " << autoStart << " " << timeout << " " << layout
           << (written ? " written" : " -") << (reserved ? " reserved" : " -");
        int32 s = record("WriteAnalogF64", os.str());
        if (s >= 0) analog_.emplace_back(data, data + 2 * static_cast<std::size_t>(n));
        return s;
    }
    int32 DAQmxWriteDigitalU32(TaskHandle t, int32 n, daqmx::bool32 autoStart, double timeout,
                               daqmx::bool32 layout, const daqmx::uInt32 data[], int32*,
                               daqmx::bool32*) override {
        std::lock_guard lock(mutex_);
        std::ostringstream os;
        os << line("WriteDigitalU32", t) << " " << n << " " << autoStart << " " << timeout << " " << layout << " "
           << data[0];
        int32 s = record("WriteDigitalU32", os.str());
        if (s >= 0) digital_.push_back(data[0]);
        return s;
    }
    int32 DAQmxStartTask(TaskHandle t) override {
        std::lock_guard lock(mutex_);
        return record("StartTask", line("StartTask", t));
    }
    int32 DAQmxStopTask(TaskHandle t) override {
        std::lock_guard lock(mutex_);
        return record("StopTask", line("StopTask", t));
    }
    int32 DAQmxClearTask(TaskHandle t) override {
        std::lock_guard lock(mutex_);
        return record("ClearTask", line("ClearTask", t));
    }
    int32 DAQmxGetExtendedErrorInfo(char text[], daqmx::uInt32 size) override {
        std::lock_guard lock(mutex_);
        std::strncpy(text, lastError_.c_str(), size - 1);
        text[size - 1] = '\0';
        return 0;
    }

private:
    static std::string line(const char* op, TaskHandle t) {
        return std::string(op) + " t" + std::to_string(reinterpret_cast<std::intptr_t>(t));
    }
    int32 record(const std::string& op, const std::string& text) {
        calls_.push_back(text);
        int n = ++callCount_[op];
        auto it = failures_.find(op);
        if (it == failures_.end() || n < it->second.fromCall) return 0;
        lastError_ = op + " failed";
        return it->second.status;
    }

    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
    std::map<std::string, int> callCount_;
    std::map<std::string, Failure> failures_;
    std::vector<std::vector<double>> analog_;
    std::vector<std::uint32_t> digital_;
    std::function<void()> writeHook_;
    std::string lastError_;
    std::intptr_t tasks_ = kFirstTask - 1;
};
