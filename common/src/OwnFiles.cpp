#include "vantrelle/OwnFiles.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrelle {

namespace {

// Closes a descriptor, keeping errno as it was.
void closeQuietly(int fd)
{
    const int error = errno;
    ::close(fd);
    errno = error;
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

std::optional<std::string> readOwnFile(const std::filesystem::path& file, std::size_t maxBytes)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat status { };
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)
        || static_cast<std::uintmax_t>(status.st_size) > maxBytes) {
        closeQuietly(fd);
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(status.st_size), '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t read = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (read < 0 && errno == EINTR)
            continue;
        if (read <= 0)
            break;
        got += static_cast<std::size_t>(read);
    }
    closeQuietly(fd);
    if (got != bytes.size())
        return std::nullopt; // shortened while read: not the file it was
    return bytes;
}

bool writeOwnFile(const std::filesystem::path& file, std::string_view bytes, mode_t mode)
{
    static std::atomic<unsigned> counter { 0 };
    std::filesystem::path draft = file;
    draft += ".new" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    const int fd = ::open(draft.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (written && closed && std::rename(draft.c_str(), file.c_str()) == 0)
        return true;
    const int error = errno;
    ::unlink(draft.c_str());
    errno = error;
    return false;
}

bool writeNewOwnFile(const std::filesystem::path& file, std::string_view bytes)
{
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, bytes);
    if (::close(fd) == 0 && written)
        return true;
    ::unlink(file.c_str());
    return false;
}

} // namespace vantrelle
