#include "ReplacementFile.h"

#include "vantrelle/titleindex/Import.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrelle::titleindex {

namespace {

[[noreturn]] void fail(const std::string& what, const std::filesystem::path& file)
{
    throw EImportError(what + " '" + file.string() + "': " + std::strerror(errno));
}

// Flushes a file or a folder to disk.
void sync(const std::filesystem::path& path, int flags)
{
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0)
        fail("Cannot open", path);
    const bool synced = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    errno = error;
    if (!synced)
        fail("Cannot write", path);
}

} // namespace

ReplacementFile::ReplacementFile(const std::filesystem::path& target)
    : m_target(target)
{
    std::string pattern = target.string() + ".partial-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        fail("Cannot create a file beside", target);
    ::fchmod(fd, 0644); // mkstemp makes it private; the index is an ordinary file
    ::close(fd);
    m_temporary = pattern;
}

ReplacementFile::~ReplacementFile()
{
    if (!m_committed)
        ::unlink(m_temporary.c_str());
}

void ReplacementFile::commit()
{
    sync(m_temporary, O_RDONLY);
    if (std::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        fail("Cannot replace", m_target);
    m_committed = true;
    sync(m_target.has_parent_path() ? m_target.parent_path() : ".", O_RDONLY | O_DIRECTORY);
}

} // namespace vantrelle::titleindex
