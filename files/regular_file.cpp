#include "files/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace korin {

namespace {

const char* kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder, not a file";
    if (S_ISFIFO(mode)) return "a FIFO, not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device, not a file";
    if (S_ISSOCK(mode)) return "a socket, not a file";
    return "not a regular file";
}

}  // namespace

ReadStatus readRegularFile(const std::string& path, std::string* bytes, std::string* why) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return ReadStatus::Missing;
        *why = std::strerror(errno);
        return ReadStatus::Failed;
    }
    if (!S_ISREG(st.st_mode)) {
        *why = kindOf(st.st_mode);
        return ReadStatus::Failed;
    }
    // O_NONBLOCK: should a FIFO take the file's place after the check, the open
    // still returns at once, and the fstat below refuses it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return ReadStatus::Missing;
        *why = std::strerror(errno);
        return ReadStatus::Failed;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        *why = S_ISREG(st.st_mode) ? std::strerror(errno) : kindOf(st.st_mode);
        ::close(fd);
        return ReadStatus::Failed;
    }
    char chunk[8192];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n > 0) {
            bytes->append(chunk, static_cast<std::size_t>(n));
            continue;
        }
        if (n == 0) break;
        if (errno == EINTR) continue;
        *why = std::strerror(errno);
        ::close(fd);
        return ReadStatus::Failed;
    }
    ::close(fd);
    return ReadStatus::Read;
}

}  // namespace korin
