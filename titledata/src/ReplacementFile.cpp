#include "ReplacementFile.h"

#include "vantrelle/titledata/Import.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrelle::titledata {

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

// Removes the temporary files of earlier replacements of `target` that no living process holds.
void removeOrphans(const std::filesystem::path& target)
{
    const std::string prefix = target.filename().string() + ".partial-";
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (!entry.path().filename().string().starts_with(prefix))
            continue;
        const int fd = ::open(entry.path().c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(entry.path().c_str());
        ::close(fd);
    }
}

} // namespace

ReplacementFile::ReplacementFile(const std::filesystem::path& target)
    : m_target(target)
{
    removeOrphans(target);
    std::string pattern = target.string() + ".partial-XXXXXX";
    m_lock = ::mkstemp(pattern.data());
    if (m_lock < 0)
        fail("Cannot create a file beside", target);
    ::flock(m_lock, LOCK_EX);
    ::fchmod(m_lock, 0644); // mkstemp makes it private; the index is an ordinary file
    m_temporary = pattern;
}

ReplacementFile::~ReplacementFile()
{
    if (!m_committed)
        ::unlink(m_temporary.c_str());
    ::close(m_lock);
}

void ReplacementFile::commit()
{
    sync(m_temporary, O_RDONLY);
    if (std::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        fail("Cannot replace", m_target);
    m_committed = true;
    sync(m_target.has_parent_path() ? m_target.parent_path() : ".", O_RDONLY | O_DIRECTORY);
}

} // namespace vantrelle::titledata
