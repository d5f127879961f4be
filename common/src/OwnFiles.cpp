#include "vantrelle/OwnFiles.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrelle {

namespace {

// Closes the descriptor when it goes.
class Descriptor {
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

std::optional<std::string> readOwnFile(const std::filesystem::path& file)
{
    // O_NONBLOCK: opening a fifo would otherwise wait for a writer; fstat then turns it away.
    const Descriptor fd(::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat status { };
    if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(status.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n == 0)
            return bytes;
        if (n < 0 && errno != EINTR)
            return std::nullopt;
        if (n > 0)
            bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

bool writeNewOwnFile(const std::filesystem::path& file, std::string_view bytes)
{
    const Descriptor fd(::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (fd.get() < 0)
        return false;
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd.get(), bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::unlink(file.c_str());
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace vantrelle
