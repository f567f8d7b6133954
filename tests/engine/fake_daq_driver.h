// A scripted driver for tests: inputs come from a function of (scan, channel),
// every call is logged, and any operation can be made to fail.
#pragma once

#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "acquisition/daqmx.h"

class FakeDaqDriver : public daqmx::Driver {
public:
    using int32 = daqmx::int32;
    using TaskHandle = daqmx::TaskHandle;

    // Volts at the device for scan `scan` (counted from the task's start) of channel `channel`.
    std::function<double(long long scan, int channel)> signal = [](long long, int) { return 0.0; };
    // Operation name -> status to return instead of success.
    std::map<std::string, int32> failWith;
    // Fail reads once this many scans were delivered (negative: never).
    long long failReadAfterScans = -1;
    std::vector<std::string> calls;
    long long scansDelivered = 0;
    double lastAiMin = 0, lastAiMax = 0;
    std::string lastAiChannels;
    int createdTasks = 0, clearedTasks = 0;

    std::string name() const override { return "Fake"; }
    bool isSimulated() const override { return true; }

    int32 DAQmxCreateTask(const char*, TaskHandle* handle) override {
        if (int32 s = log("CreateTask")) return s;
        *handle = reinterpret_cast<TaskHandle>(static_cast<std::intptr_t>(++createdTasks));
        return 0;
    }
    int32 DAQmxCreateAIVoltageChan(TaskHandle, const char* ch, const char*, int32, double mn, double mx, int32,
                                   const char*) override {
        lastAiChannels = ch;
        lastAiMin = mn;
        lastAiMax = mx;
        return log("CreateAIVoltageChan");
    }
    int32 DAQmxCreateAOVoltageChan(TaskHandle, const char*, const char*, double, double, int32,
                                   const char*) override {
        return log("CreateAOVoltageChan");
    }
    int32 DAQmxCreateDOChan(TaskHandle, const char*, const char*, int32) override { return log("CreateDOChan"); }
    int32 DAQmxCfgSampClkTiming(TaskHandle, const char*, double, int32, int32, daqmx::uInt64) override {
        return log("CfgSampClkTiming");
    }
    int32 DAQmxReadAnalogF64(TaskHandle, int32 n, double, daqmx::bool32, double data[], daqmx::uInt32 size,
                             int32* read, daqmx::bool32*) override {
        if (int32 s = log("ReadAnalogF64")) return s;
        if (failReadAfterScans >= 0 && scansDelivered + n > failReadAfterScans) {
            lastError_ = "Simulated read failure";
            return daqmx::DAQmxErrorSamplesNoLongerAvailable;
        }
        for (int32 k = 0; k < n && (k + 1) * 16 <= static_cast<int32>(size); ++k)
            for (int c = 0; c < 16; ++c) data[k * 16 + c] = signal(scansDelivered + k, c);
        scansDelivered += n;
        if (read) *read = n;
        return 0;
    }
    int32 DAQmxWriteAnalogF64(TaskHandle, int32, daqmx::bool32, double, daqmx::bool32, const double[], int32*,
                              daqmx::bool32*) override {
        return log("WriteAnalogF64");
    }
    int32 DAQmxWriteDigitalU32(TaskHandle, int32, daqmx::bool32, double, daqmx::bool32, const daqmx::uInt32[],
                               int32*, daqmx::bool32*) override {
        return log("WriteDigitalU32");
    }
    int32 DAQmxStartTask(TaskHandle) override { return log("StartTask"); }
    int32 DAQmxStopTask(TaskHandle) override { return log("StopTask"); }
    int32 DAQmxClearTask(TaskHandle) override {
        ++clearedTasks;
        return log("ClearTask");
    }
    int32 DAQmxGetExtendedErrorInfo(char text[], daqmx::uInt32 size) override {
        std::lock_guard lock(mutex_);
        std::strncpy(text, lastError_.c_str(), size - 1);
        text[size - 1] = '\0';
        return 0;
    }

    int count(const std::string& op) const {
        int n = 0;
        for (const auto& c : calls) n += c == op;
        return n;
    }

private:
    int32 log(const std::string& op) {
        std::lock_guard lock(mutex_);
        calls.push_back(op);
        auto it = failWith.find(op);
        if (it == failWith.end()) return 0;
        lastError_ = op + " failed";
        return it->second;
    }
    std::mutex mutex_;
    std::string lastError_;
};
