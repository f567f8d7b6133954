#include "files/settings_summary.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "acquisition/rounding.h"

namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr const char* kColon = " \xEF\xBC\x9A ";  // fullwidth colon U+FF1A between spaces
constexpr const char* kShiftJisCodePage = "CP932";

// Bytes of the UTF-8 sequence that starts with `lead` (1 for a stray byte).
std::size_t utf8Length(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2) return 2;
    return 1;
}

}  // namespace

std::string summaryStartTimeText(const StartDateTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%d/%02d/%02d/%02dh %02dm %02ds", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

std::string conversionFactorText(double factor) {
    return korin::formatFixed(factor, 10);
}

std::string settingsSummaryText(const SettingsSummary& s) {
    const std::string lines[] = {
        std::string("Start time") + kColon + summaryStartTimeText(s.start),
        std::string("Repeat number") + kColon + s.repeat,
        std::string("Recording time") + kColon + s.hours + "h " + s.minutes + "m " + s.seconds + "s",
        std::string("Interval time") + kColon + s.intervalHours + "h " + s.intervalMinutes + "m " +
            s.intervalSeconds + "s",
        std::string("Input range (uV)") + kColon + s.inputRange,
        std::string("Highpass filter (Hz)") + kColon + s.highpass,
        std::string("Lowpass filter (Hz)") + kColon + s.lowpass,
        std::string("Conversion factor (mV)") + kColon + conversionFactorText(s.conversionFactor),
    };
    std::string text;
    for (const std::string& line : lines) {
        if (!text.empty()) text += kLineEnd;
        text += line;
    }
    return text;
}

std::string toShiftJis(const std::string& utf8) {
    iconv_t cd = iconv_open(kShiftJisCodePage, "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        // Without the converter only ASCII can be trusted to come out right.
        std::string ascii = utf8;
        for (char& ch : ascii)
            if (static_cast<unsigned char>(ch) >= 0x80) ch = '?';
        return ascii;
    }
    std::string out;
    out.reserve(utf8.size() * 2);
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char chunk[1024];
    while (inLeft > 0) {
        char* dst = chunk;
        std::size_t dstLeft = sizeof chunk;
        const std::size_t r = iconv(cd, &in, &inLeft, &dst, &dstLeft);
        out.append(chunk, static_cast<std::size_t>(dst - chunk));
        if (r != static_cast<std::size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // EILSEQ or a truncated sequence at the end: replace one character.
        out += '?';
        const std::size_t length = utf8Length(static_cast<unsigned char>(*in));
        std::size_t skip = 1;
        while (skip < length && skip < inLeft && (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80) ++skip;
        in += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return out;
}

bool appendSettingsSummary(const std::string& path, const SettingsSummary& summary, std::string* error) {
    const std::string bytes = toShiftJis(settingsSummaryText(summary));
    std::FILE* f = std::fopen(path.c_str(), "ab");
    if (f == nullptr) {
        if (error) *error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const int writeErr = errno;
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed) {
        if (error) *error = "cannot write " + path + ": " + std::strerror(written ? errno : writeErr);
        return false;
    }
    return true;
}
