// Run clock of one acquisition run. Not a wall clock: the run loop advances it
// by exactly one 500 ms block per pass, and every counter is kept whole (or to
// one decimal) by rounding halves to even after each change.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Timer {
public:
    static constexpr double kBlockSeconds = 0.5;

    Timer(double maxtime, double maxtrace, double maxInterval, double intervalsleep);

    void Plus500ms();
    void Plusblock();
    void PlusTrace();
    void ResetTimer();
    void PlusKeikaTime();
    void PlusKeikaTime(double sec);
    void setTraceOffsetMsec(double keikaTime);
    void PlusStep();

    double getTime() const { return time; }
    double getMaxtime() const { return Maxtime; }
    double getRemainingTime() const;
    std::string getTimeRemaining() const;
    double getnowtrace() const { return nowtrace; }
    double getTraceMax() const { return Maxtrace; }
    double getRemainingTrace() const;
    double getnowblock() const { return nowblock; }
    double getBlockMax() const { return Maxblock; }
    double getKeikaTime() const { return KeikaTime; }
    double getTraceOffsetMsec() const { return TraceOffsetMsec; }
    double getBlockOffsetMsec() const;
    double getTimemMaxmsec() const;
    int getLastBlock(int blocknum) const;
    std::uint8_t getStep() const;
    std::int32_t getLoop() const;
    std::int32_t getMaxStepNum() const { return MaxStepNum; }
    double getMaxInterval() const { return MaxInterval; }
    double getIntervalsleep() const { return Intervalsleep; }

    void setYear(const std::string& v) { year = v; }
    void setMonth(const std::string& v) { month = v; }
    void setDay(const std::string& v) { day = v; }
    void setHour(const std::string& v) { hour = v; }
    void setMinute(const std::string& v) { minute = v; }
    void setSecond(const std::string& v) { second = v; }
    void setMsec(const std::string& v) { msec = v; }
    std::int16_t getYear() const;
    std::int16_t getMonth() const;
    std::int16_t getDay() const;
    std::int32_t getMsecStartTime() const;
    // Start instant as 100 ns ticks since 0001-01-01 (proleptic Gregorian).
    static std::int64_t getDate(int year, int month, int day, std::int32_t ms);
    std::int64_t getDate() const { return getDate(getYear(), getMonth(), getDay(), getMsecStartTime()); }

    // Sets the seven date texts from a local time (used when a run is set up).
    void setStartDateTime(int y, int mo, int d, int h, int mi, int s, int ms);

    void setStep(std::vector<std::uint8_t> order) { Step = std::move(order); }
    void setMaxStepNum(std::int32_t n) { MaxStepNum = n; }

    // Time-span text h:mm:ss with every part at least two digits.
    static std::string formatHms(double seconds);

private:
    double time = 0;
    double Maxtime;
    double MaxInterval;
    double Intervalsleep;
    double Maxtrace;
    double nowtrace = 0;
    double nowblock = 0;
    double Maxblock;
    double KeikaTime = 0;
    double TraceOffsetMsec = 0;
    std::string year, month, day, hour, minute, second, msec;
    std::int32_t MaxStepNum = 0;
    std::vector<std::uint8_t> Step;
    std::int32_t nowStepIndex = 0;
    std::int32_t nowLoopNum = 1;
};
