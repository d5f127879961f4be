#include "vantrelle/store/Schema.h"

#include "Sqlite.h"

#include "vantrelle/store/Errors.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vantrelle::store {

void createCatalogue(const std::filesystem::path& file)
{
    // O_EXCL makes the refusal to overwrite race-free; SQLite takes the empty file as an empty database.
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) {
        if (errno == EEXIST)
            throw EEngineError("'" + file.string() + "' already exists; an existing file is never overwritten");
        throw EEngineError("Cannot create '" + file.string() + "': " + std::strerror(errno));
    }
    ::close(fd);
    try {
        sqlite::Database db(file, SQLITE_OPEN_READWRITE, throwEngineError);
        db.exec(kMoviesSchema);
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
        throw;
    }
}

} // namespace vantrelle::store
