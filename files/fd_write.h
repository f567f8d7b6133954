// The whole of a buffer to a file descriptor, through short writes and signals.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korin {

// False with errno set when the file refuses more (a write of 0 bytes reads as a
// full disk); `written` grows by every byte that did reach the file.
bool writeAll(int fd, const void* data, std::size_t size, std::uint64_t& written);

}  // namespace korin
