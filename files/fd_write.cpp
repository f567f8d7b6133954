#include "files/fd_write.h"

#include <unistd.h>

#include <cerrno>

namespace korin {

bool writeAll(int fd, const void* data, std::size_t size, std::uint64_t& written) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
        written += static_cast<std::uint64_t>(n);
    }
    return true;
}

}  // namespace korin
