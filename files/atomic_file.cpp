#include "files/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "files/fd_write.h"

namespace korin {

namespace {

std::string folderOf(const std::string& path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

bool fail(std::string* error, const std::string& what, int err) {
    if (error) *error = what + ": " + std::strerror(err);
    return false;
}

// A rename is only durable once the folder's entry is on the disk too.
void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

bool ensureFolder(const std::string& folder, std::string* error) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (std::filesystem::is_directory(folder)) return true;
    if (error) *error = "cannot create the folder " + folder + ": " + (ec ? ec.message() : "not a folder");
    return false;
}

bool writeFileAtomically(const std::string& path, const std::string& bytes, std::string* error,
                         const std::function<bool(const std::string&)>& beforeRename) {
    std::string pattern = path + ".tmp-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return fail(error, "cannot create a temporary file beside " + path, errno);
    const std::string temp(name.data());

    auto abandon = [&](const std::string& what, int err) {
        ::close(fd);
        ::unlink(temp.c_str());
        return fail(error, what, err);
    };
    std::uint64_t written = 0;
    if (!writeAll(fd, bytes.data(), bytes.size(), written)) return abandon("cannot write " + temp, errno);
    // mkstemp makes the file private; a settings file is an ordinary user file.
    ::fchmod(fd, 0644);
    if (::fsync(fd) != 0) return abandon("cannot flush " + temp, errno);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        return fail(error, "cannot close " + temp, err);
    }
    if (beforeRename && !beforeRename(temp)) {
        if (error) *error = "the write of " + path + " was abandoned before it replaced the file";
        return false;
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        return fail(error, "cannot replace " + path, err);
    }
    syncFolder(folderOf(path));
    return true;
}

}  // namespace korin
