// Reading a small whole file (the settings store, a pulse list) without ever
// blocking on something that only looks like one: a FIFO waits forever for a
// writer in open(), a device may act on being opened, and a folder reads as
// an error only after the open. Anything but a regular file is refused first.
#pragma once

#include <string>

namespace korin {

enum class ReadStatus { Read, Missing, Failed };

// The bytes of the regular file at `path`. Missing when nothing is there
// (nor behind a symbolic link); Failed with the reason in `why` when it cannot
// be opened or read, or is not a regular file.
ReadStatus readRegularFile(const std::string& path, std::string* bytes, std::string* why);

}  // namespace korin
