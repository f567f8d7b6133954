#include "files/text_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>

namespace korin {

namespace {

constexpr const char* kShiftJisCodePage = "CP932";

// Bytes of the UTF-8 sequence that starts at `in` (1 for a stray byte), never
// more than `left`.
std::size_t utf8SequenceLength(const char* in, std::size_t left) {
    const auto lead = static_cast<unsigned char>(*in);
    std::size_t length = 1;
    if (lead >= 0xF0 && lead <= 0xF4) length = 4;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
    else if (lead >= 0xC2 && lead < 0xE0) length = 2;
    std::size_t skip = 1;
    while (skip < length && skip < left && (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80) ++skip;
    return skip;
}

std::size_t oneByte(const char*, std::size_t) { return 1; }

// Converts with iconv; each sequence the converter refuses becomes "?" and
// `invalidLength` bytes of input are passed over. Without the converter only
// ASCII can be trusted to come out right.
std::string convert(const char* to, const char* from, std::string_view text,
                    std::size_t (*invalidLength)(const char*, std::size_t)) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        std::string ascii(text);
        for (char& ch : ascii)
            if (static_cast<unsigned char>(ch) >= 0x80) ch = '?';
        return ascii;
    }
    std::string out;
    out.reserve(text.size() * 2);
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char chunk[1024];
    while (inLeft > 0) {
        char* dst = chunk;
        std::size_t dstLeft = sizeof chunk;
        const std::size_t r = iconv(cd, &in, &inLeft, &dst, &dstLeft);
        out.append(chunk, static_cast<std::size_t>(dst - chunk));
        if (r != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        out += '?';
        const std::size_t skip = invalidLength(in, inLeft);
        in += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return out;
}

}  // namespace

std::string toShiftJis(std::string_view utf8) { return convert(kShiftJisCodePage, "UTF-8", utf8, utf8SequenceLength); }

std::string fromShiftJis(std::string_view sjis) { return convert("UTF-8", kShiftJisCodePage, sjis, oneByte); }

}  // namespace korin
