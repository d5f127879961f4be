#include "vantrelle/store/Schema.h"

#include "Sqlite.h"

#include "vantrelle/store/Errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <string>
#include <unistd.h>

namespace vantrelle::store {

namespace {

[[noreturn]] void refuseExisting(const std::filesystem::path& file)
{
    throw EEngineError("'" + file.string() + "' already exists; an existing file is never overwritten");
}

[[noreturn]] void failToCreate(const std::filesystem::path& file, int error)
{
    throw EEngineError("Cannot create '" + file.string() + "': " + std::strerror(error));
}

// Gives `draft` the name `file` unless a file has that name already; returns the error, 0 on success.
// A file system that cannot rename without replacing (NFS) can still make a hard link.
int moveWithoutReplacing(const std::filesystem::path& draft, const std::filesystem::path& file)
{
    if (::renameat2(AT_FDCWD, draft.c_str(), AT_FDCWD, file.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    if (::link(draft.c_str(), file.c_str()) != 0)
        return errno;
    ::unlink(draft.c_str());
    return 0;
}

// Creates an empty file of a new name beside `file`, with the permissions the user's umask gives.
std::filesystem::path createDraft(const std::filesystem::path& file)
{
    std::random_device seed;
    for (int attempt = 0;; ++attempt) {
        std::filesystem::path draft = file;
        draft += ".new-" + std::to_string(seed());
        const int fd = ::open(draft.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return draft;
        }
        if (errno != EEXIST || attempt == 100)
            failToCreate(file, errno);
    }
}

} // namespace

void createCatalogue(const std::filesystem::path& file)
{
    if (std::filesystem::exists(file))
        refuseExisting(file);
    // The schema goes into a draft beside the file, which takes the file's name only once it is complete: a
    // creation cut short (a crash, a kill) never leaves a catalogue that cannot be opened under that name.
    const std::filesystem::path draft = createDraft(file);
    try {
        {
            // SQLite takes the empty file as an empty database.
            sqlite::Database db(draft, SQLITE_OPEN_READWRITE, throwEngineError);
            db.exec(kMoviesSchema);
        }
        if (const int error = moveWithoutReplacing(draft, file)) {
            if (error == EEXIST)
                refuseExisting(file);
            failToCreate(file, error);
        }
    } catch (...) {
        ::unlink(draft.c_str());
        throw;
    }
}

} // namespace vantrelle::store
