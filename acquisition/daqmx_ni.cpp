#include "acquisition/daqmx_ni.h"

#include <dlfcn.h>

namespace daqmx {

namespace {

// The published C prototypes.
using CreateTaskFn = int32 (*)(const char*, TaskHandle*);
using CreateAIVoltageChanFn = int32 (*)(TaskHandle, const char*, const char*, int32, float64, float64, int32,
                                        const char*);
using CreateAOVoltageChanFn = int32 (*)(TaskHandle, const char*, const char*, float64, float64, int32,
                                        const char*);
using CreateDOChanFn = int32 (*)(TaskHandle, const char*, const char*, int32);
using CfgSampClkTimingFn = int32 (*)(TaskHandle, const char*, float64, int32, int32, uInt64);
using ReadAnalogF64Fn = int32 (*)(TaskHandle, int32, float64, bool32, float64[], uInt32, int32*, bool32*);
using WriteAnalogF64Fn = int32 (*)(TaskHandle, int32, bool32, float64, bool32, const float64[], int32*, bool32*);
using WriteDigitalU32Fn = int32 (*)(TaskHandle, int32, bool32, float64, bool32, const uInt32[], int32*, bool32*);
using TaskFn = int32 (*)(TaskHandle);
using GetExtendedErrorInfoFn = int32 (*)(char[], uInt32);

class NiDaqmxDriver final : public Driver {
public:
    explicit NiDaqmxDriver(void* library) : library_(library) {}
    ~NiDaqmxDriver() override { dlclose(library_); }

    // Resolves every symbol; returns the first missing name, or empty.
    std::string resolve() {
        const char* missing = nullptr;
        auto bind = [&](auto& fn, const char* name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(library_, name));
            if (fn == nullptr && missing == nullptr) missing = name;
        };
        bind(createTask_, "DAQmxCreateTask");
        bind(createAI_, "DAQmxCreateAIVoltageChan");
        bind(createAO_, "DAQmxCreateAOVoltageChan");
        bind(createDO_, "DAQmxCreateDOChan");
        bind(cfgTiming_, "DAQmxCfgSampClkTiming");
        bind(readAnalog_, "DAQmxReadAnalogF64");
        bind(writeAnalog_, "DAQmxWriteAnalogF64");
        bind(writeDigital_, "DAQmxWriteDigitalU32");
        bind(start_, "DAQmxStartTask");
        bind(stop_, "DAQmxStopTask");
        bind(clear_, "DAQmxClearTask");
        bind(errorInfo_, "DAQmxGetExtendedErrorInfo");
        return missing ? missing : "";
    }

    std::string name() const override { return "NI-DAQmx"; }
    bool isSimulated() const override { return false; }

    int32 DAQmxCreateTask(const char* taskName, TaskHandle* taskHandle) override {
        return createTask_(taskName, taskHandle);
    }
    int32 DAQmxCreateAIVoltageChan(TaskHandle t, const char* ch, const char* name, int32 term, float64 mn,
                                   float64 mx, int32 units, const char* scale) override {
        return createAI_(t, ch, name, term, mn, mx, units, scale);
    }
    int32 DAQmxCreateAOVoltageChan(TaskHandle t, const char* ch, const char* name, float64 mn, float64 mx,
                                   int32 units, const char* scale) override {
        return createAO_(t, ch, name, mn, mx, units, scale);
    }
    int32 DAQmxCreateDOChan(TaskHandle t, const char* lines, const char* name, int32 grouping) override {
        return createDO_(t, lines, name, grouping);
    }
    int32 DAQmxCfgSampClkTiming(TaskHandle t, const char* source, float64 rate, int32 edge, int32 mode,
                                uInt64 samps) override {
        return cfgTiming_(t, source, rate, edge, mode, samps);
    }
    int32 DAQmxReadAnalogF64(TaskHandle t, int32 n, float64 timeout, bool32 fill, float64 data[], uInt32 size,
                             int32* read, bool32* reserved) override {
        return readAnalog_(t, n, timeout, fill, data, size, read, reserved);
    }
    int32 DAQmxWriteAnalogF64(TaskHandle t, int32 n, bool32 autoStart, float64 timeout, bool32 layout,
                              const float64 data[], int32* written, bool32* reserved) override {
        return writeAnalog_(t, n, autoStart, timeout, layout, data, written, reserved);
    }
    int32 DAQmxWriteDigitalU32(TaskHandle t, int32 n, bool32 autoStart, float64 timeout, bool32 layout,
                               const uInt32 data[], int32* written, bool32* reserved) override {
        return writeDigital_(t, n, autoStart, timeout, layout, data, written, reserved);
    }
    int32 DAQmxStartTask(TaskHandle t) override { return start_(t); }
    int32 DAQmxStopTask(TaskHandle t) override { return stop_(t); }
    int32 DAQmxClearTask(TaskHandle t) override { return clear_(t); }
    int32 DAQmxGetExtendedErrorInfo(char text[], uInt32 size) override { return errorInfo_(text, size); }

private:
    void* library_;
    CreateTaskFn createTask_ = nullptr;
    CreateAIVoltageChanFn createAI_ = nullptr;
    CreateAOVoltageChanFn createAO_ = nullptr;
    CreateDOChanFn createDO_ = nullptr;
    CfgSampClkTimingFn cfgTiming_ = nullptr;
    ReadAnalogF64Fn readAnalog_ = nullptr;
    WriteAnalogF64Fn writeAnalog_ = nullptr;
    WriteDigitalU32Fn writeDigital_ = nullptr;
    TaskFn start_ = nullptr;
    TaskFn stop_ = nullptr;
    TaskFn clear_ = nullptr;
    GetExtendedErrorInfoFn errorInfo_ = nullptr;
};

}  // namespace

std::vector<std::string> defaultNiLibraryNames() { return {"libnidaqmx.so.1", "libnidaqmx.so"}; }

std::unique_ptr<Driver> loadNiDaqmx(std::string* reason, const std::vector<std::string>& libraryNames) {
    std::string tried;
    for (const std::string& name : libraryNames) {
        void* library = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) {
            const char* why = dlerror();
            tried += (tried.empty() ? "" : "; ") + std::string(why ? why : name + ": cannot be loaded");
            continue;
        }
        auto driver = std::make_unique<NiDaqmxDriver>(library);
        std::string missing = driver->resolve();
        if (!missing.empty()) {
            if (reason) *reason = name + " lacks the function " + missing;
            return nullptr;
        }
        return driver;
    }
    if (reason) *reason = tried.empty() ? "no library name to try" : tried;
    return nullptr;
}

}  // namespace daqmx
