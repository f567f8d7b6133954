#include "acquisition/timer.h"

#include <charconv>
#include <cmath>

#include "acquisition/rounding.h"

using korin::roundHalfEven;

namespace {

template <typename Int>
Int parseInt(const std::string& text) {
    Int v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

bool isLeap(std::int64_t y) { return (y % 400 == 0) || (y % 4 == 0 && y % 100 != 0); }

std::string twoDigits(std::int64_t v) {
    std::string s = std::to_string(v);
    return s.size() == 1 ? "0" + s : s;
}

}  // namespace

Timer::Timer(double maxtime, double maxtrace, double maxInterval, double intervalsleep)
    : Maxtime(maxtime),
      MaxInterval(maxInterval),
      Intervalsleep(intervalsleep),
      Maxtrace(maxtrace),
      Maxblock(std::ceil(maxtime * 2)) {}

void Timer::Plus500ms() {
    double remaining = getRemainingTime();
    time += remaining < kBlockSeconds ? remaining : kBlockSeconds;
    time = roundHalfEven(time, 1);
}

void Timer::Plusblock() { nowblock = roundHalfEven(nowblock + 1); }
void Timer::PlusTrace() { nowtrace = roundHalfEven(nowtrace + 1); }

void Timer::ResetTimer() {
    time = 0;
    nowblock = 0;
}

void Timer::PlusKeikaTime() { KeikaTime = roundHalfEven(KeikaTime + kBlockSeconds, 1); }
void Timer::PlusKeikaTime(double sec) { KeikaTime = roundHalfEven(KeikaTime + sec, 1); }
void Timer::setTraceOffsetMsec(double keikaTime) { TraceOffsetMsec = roundHalfEven(keikaTime * 1000, 1); }

void Timer::PlusStep() {
    ++nowStepIndex;
    if (MaxStepNum == 0) {
        nowLoopNum = 0;
        return;
    }
    if (nowStepIndex >= MaxStepNum) {
        nowStepIndex = 0;
        ++nowLoopNum;
    }
}

double Timer::getRemainingTime() const {
    double r = Maxtime - time;
    if (r < 0) r = 0;
    return roundHalfEven(r, 1);
}

std::string Timer::formatHms(double r) {
    if (r < 0) r = 0;
    double hours = std::floor(r / 3600);
    r -= hours * 3600;
    double minutes = std::floor(r / 60);
    double seconds = std::floor(r - minutes * 60);
    return twoDigits(static_cast<std::int64_t>(hours)) + ":" + twoDigits(static_cast<std::int64_t>(minutes)) +
           ":" + twoDigits(static_cast<std::int64_t>(seconds));
}

std::string Timer::getTimeRemaining() const { return formatHms(Maxtime - time); }

double Timer::getRemainingTrace() const { return roundHalfEven(Maxtrace - nowtrace); }
double Timer::getBlockOffsetMsec() const { return roundHalfEven(nowblock * 500); }
double Timer::getTimemMaxmsec() const { return roundHalfEven(Maxtime * 1000); }
int Timer::getLastBlock(int blocknum) const { return blocknum == Maxblock - 1 ? 1 : 0; }

std::uint8_t Timer::getStep() const {
    if (MaxStepNum == 0) return 255;
    if (nowStepIndex < 0 || static_cast<std::size_t>(nowStepIndex) >= Step.size()) return 255;
    return Step[static_cast<std::size_t>(nowStepIndex)];
}

std::int32_t Timer::getLoop() const { return MaxStepNum == 0 ? 0 : nowLoopNum; }

std::int16_t Timer::getYear() const { return parseInt<std::int16_t>(year); }
std::int16_t Timer::getMonth() const { return parseInt<std::int16_t>(month); }
std::int16_t Timer::getDay() const { return parseInt<std::int16_t>(day); }

std::int32_t Timer::getMsecStartTime() const {
    std::int32_t h = parseInt<std::int32_t>(hour), mi = parseInt<std::int32_t>(minute),
                 s = parseInt<std::int32_t>(second), ms = parseInt<std::int32_t>(msec);
    return ((h * 60 + mi) * 60 + s) * 1000 + ms;
}

std::int64_t Timer::getDate(int year, int month, int day, std::int32_t ms) {
    constexpr std::int64_t kMsPerDay = 86'400'000;
    static constexpr int kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    std::int64_t total = 0;
    for (std::int64_t y = 1; y < year; ++y) total += (isLeap(y) ? 366 : 365) * kMsPerDay;
    for (int m = 1; m < month && m <= 12; ++m) {
        int days = kDaysInMonth[m - 1];
        if (m == 2 && isLeap(year)) days = 29;
        total += days * kMsPerDay;
    }
    total += static_cast<std::int64_t>(day - 1) * kMsPerDay + ms;
    return total * 10'000;
}

void Timer::setStartDateTime(int y, int mo, int d, int h, int mi, int s, int ms) {
    year = std::to_string(y);
    month = std::to_string(mo);
    day = std::to_string(d);
    hour = std::to_string(h);
    minute = std::to_string(mi);
    second = std::to_string(s);
    msec = std::to_string(ms);
}
