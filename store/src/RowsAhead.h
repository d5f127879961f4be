#pragma once

#include "FilmList.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <sqlite3.h>
#include <vector>

namespace vantrelle::store {

// The bytes of the file's header that every commit changes, whichever connection makes it.
using FileStamp = std::array<unsigned char, 10>;

// The rows of the films that come next in the list, read in one statement with the film made current while films
// become current one after another: a walk through the list then reads a few dozen rows a statement instead of
// one, with one read of the file's lock and header each.
//
// They are read before they are shown, so one is shown only while the file is as it was when it was read: while
// the stamp of its header stands. That is the change counter, which in a rollback journal (SQLite's default, and
// the only mode we leave a catalogue in) every commit moves before it is done, this connection's own as much as
// another program's, and by which SQLite itself tells whether the pages it caches still hold. In WAL mode, whose
// commits leave the header be, and on a network share, where another machine's commit shows only once a lock is
// taken, there is no stamp: each film is read alone, when it becomes current.
class RowsAhead {
public:
    static constexpr std::size_t kRows = 32;

    explicit RowsAhead(const std::filesystem::path& file);

    // The stamp of the connection's file now: read without a lock, so that it costs one read of ten bytes. A
    // commit writes the header before it is done, so an unchanged stamp means that none has finished since.
    std::optional<FileStamp> stampOf(sqlite3* db) const;

    // Whether the row of the film with `rowid` is held, read while the file was stamped `now`.
    bool holds(std::int64_t rowid, const std::optional<FileStamp>& now) const;
    // The films to read with films[at]: when the film asked for last is its neighbour, films are being made
    // current one after another, and the next kRows films (at most) in that direction are read with it; only
    // films[at] otherwise, and where there is no stamp to tell whether the others still hold when they are asked
    // for.
    std::span<const ListedFilm> toRead(
        std::span<const ListedFilm> films, std::size_t at, const std::optional<FileStamp>& stamp) const;
    // Holds the rows read of `films` while the file was stamped `stamp`, in place of any held before; `rows` are
    // by rowid, and a film without one is gone.
    void hold(std::span<const ListedFilm> films, std::vector<std::pair<std::int64_t, StoredRow>> rows,
        const std::optional<FileStamp>& stamp);
    // Hands out the row of `film`, which is held; nothing when the film was gone.
    std::optional<StoredRow> take(const ListedFilm& film);

private:
    struct Held {
        std::int64_t rowid;
        std::optional<StoredRow> row;
    };

    bool m_stamped; // whether the file's stamps can be trusted where it lies
    std::optional<FileStamp> m_stamp; // of the file when the held rows were read
    std::vector<Held> m_held;
    std::optional<std::int64_t> m_lastAsked; // the rowid of the film asked for last
};

} // namespace vantrelle::store
