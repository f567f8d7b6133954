// Shift-JIS (code page 932), the encoding of every text file the program writes
// and reads, to and from the UTF-8 the program works in.
#pragma once

#include <string>
#include <string_view>

namespace korin {

// UTF-8 to Shift-JIS. A character the code page lacks, or a byte that is not
// UTF-8, becomes "?".
std::string toShiftJis(std::string_view utf8);

// Shift-JIS to UTF-8; a byte sequence the code page lacks becomes "?".
std::string fromShiftJis(std::string_view sjis);

}  // namespace korin
