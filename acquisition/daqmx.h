// The data-acquisition operations the system uses, as one C++ interface.
// Argument lists and the status convention follow the vendor's published C API
// (32-bit status: negative = error, zero or positive = success), so call sites
// read like the driver's own documentation. Two implementations: the NI-DAQmx
// C library loaded at run time (daqmx_ni.h) and the simulated "Dev1" (sim_device.h).
#pragma once

#include <cstdint>
#include <string>

namespace daqmx {

using int32 = std::int32_t;
using uInt32 = std::uint32_t;
using uInt64 = std::uint64_t;
using float64 = double;
using bool32 = std::uint32_t;
using TaskHandle = void*;

// Published constants of the driver interface.
inline constexpr int32 DAQmx_Val_Diff = 10106;
inline constexpr int32 DAQmx_Val_Volts = 10348;
inline constexpr int32 DAQmx_Val_Rising = 10280;
inline constexpr int32 DAQmx_Val_ContSamps = 10123;
inline constexpr int32 DAQmx_Val_FiniteSamps = 10178;
inline constexpr bool32 DAQmx_Val_GroupByScanNumber = 1;
inline constexpr bool32 DAQmx_Val_GroupByChannel = 0;
inline constexpr int32 DAQmx_Val_ChanForAllLines = 1;

// Published error codes that the system or the simulated device produce.
inline constexpr int32 DAQmxErrorSamplesNoLongerAvailable = -200279;
inline constexpr int32 DAQmxErrorDeviceNotFound = -200220;  // "Device identifier is invalid."
inline constexpr int32 DAQmxErrorPhysicalChanDoesNotExist = -200170;
inline constexpr int32 DAQmxErrorInvalidTask = -200088;
inline constexpr int32 DAQmxErrorReadTimeout = -200284;
inline constexpr int32 DAQmxErrorInvalidAttributeValue = -200077;
inline constexpr int32 DAQmxErrorWriteFailed = -200524;

inline constexpr std::size_t kExtendedErrorBufferSize = 2048;

inline bool failed(int32 status) { return status < 0; }

class Driver {
public:
    virtual ~Driver() = default;

    // Short name of the implementation, shown wherever data is shown
    // ("NI-DAQmx" or "Simulated Dev1").
    virtual std::string name() const = 0;
    virtual bool isSimulated() const = 0;

    virtual int32 DAQmxCreateTask(const char* taskName, TaskHandle* taskHandle) = 0;
    virtual int32 DAQmxCreateAIVoltageChan(TaskHandle taskHandle, const char* physicalChannel,
                                           const char* nameToAssignToChannel, int32 terminalConfig,
                                           float64 minVal, float64 maxVal, int32 units,
                                           const char* customScaleName) = 0;
    virtual int32 DAQmxCreateAOVoltageChan(TaskHandle taskHandle, const char* physicalChannel,
                                           const char* nameToAssignToChannel, float64 minVal,
                                           float64 maxVal, int32 units, const char* customScaleName) = 0;
    virtual int32 DAQmxCreateDOChan(TaskHandle taskHandle, const char* lines,
                                    const char* nameToAssignToLines, int32 lineGrouping) = 0;
    virtual int32 DAQmxCfgSampClkTiming(TaskHandle taskHandle, const char* source, float64 rate,
                                        int32 activeEdge, int32 sampleMode, uInt64 sampsPerChan) = 0;
    virtual int32 DAQmxReadAnalogF64(TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout,
                                     bool32 fillMode, float64 readArray[], uInt32 arraySizeInSamps,
                                     int32* sampsPerChanRead, bool32* reserved) = 0;
    virtual int32 DAQmxWriteAnalogF64(TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart,
                                      float64 timeout, bool32 dataLayout, const float64 writeArray[],
                                      int32* sampsPerChanWritten, bool32* reserved) = 0;
    virtual int32 DAQmxWriteDigitalU32(TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart,
                                       float64 timeout, bool32 dataLayout, const uInt32 writeArray[],
                                       int32* sampsPerChanWritten, bool32* reserved) = 0;
    virtual int32 DAQmxStartTask(TaskHandle taskHandle) = 0;
    virtual int32 DAQmxStopTask(TaskHandle taskHandle) = 0;
    virtual int32 DAQmxClearTask(TaskHandle taskHandle) = 0;
    // Text of the most recent error of the calling thread.
    virtual int32 DAQmxGetExtendedErrorInfo(char errorString[], uInt32 bufferSize) = 0;
};

}  // namespace daqmx
