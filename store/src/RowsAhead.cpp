#include "RowsAhead.h"

#include "CatalogueFile.h"

#include <algorithm>
#include <utility>

namespace vantrelle::store {

namespace {

// Where the stamp starts in the header: the read version (1 for a rollback journal, 2 for WAL) at 18, then the
// write version, three fixed bytes and the change counter at 24.
constexpr sqlite3_int64 kStampOffset = 18;
constexpr unsigned char kRollbackJournal = 1;

} // namespace

RowsAhead::RowsAhead(const std::filesystem::path& file)
    : m_stamped(onLocalDisk(file))
{
}

std::optional<FileStamp> RowsAhead::stampOf(sqlite3* db) const
{
    if (!m_stamped)
        return std::nullopt;
    // The connection's own handle of the file: another one, once closed, would drop the locks SQLite holds on it.
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file || !file->pMethods)
        return std::nullopt;
    FileStamp stamp {};
    if (file->pMethods->xRead(file, stamp.data(), static_cast<int>(stamp.size()), kStampOffset) != SQLITE_OK
        || stamp.front() != kRollbackJournal)
        return std::nullopt; // an empty file, or WAL mode
    return stamp;
}

bool RowsAhead::holds(std::int64_t rowid, const std::optional<FileStamp>& now) const
{
    return now && now == m_stamp
        && std::any_of(m_held.begin(), m_held.end(), [rowid](const Held& held) { return held.rowid == rowid; });
}

std::span<const ListedFilm> RowsAhead::toRead(
    std::span<const ListedFilm> films, std::size_t at, const std::optional<FileStamp>& stamp) const
{
    if (stamp && m_lastAsked) {
        if (at > 0 && films[at - 1].rowid == *m_lastAsked)
            return films.subspan(at, std::min(kRows, films.size() - at));
        if (at + 1 < films.size() && films[at + 1].rowid == *m_lastAsked) {
            const std::size_t count = std::min(kRows, at + 1);
            return films.subspan(at + 1 - count, count);
        }
    }
    return films.subspan(at, 1);
}

void RowsAhead::hold(std::span<const ListedFilm> films, std::vector<std::pair<std::int64_t, StoredRow>> rows,
    const std::optional<FileStamp>& stamp)
{
    m_stamp = stamp;
    m_held.clear();
    for (const ListedFilm& film : films) {
        Held& held = m_held.emplace_back(Held { film.rowid, std::nullopt });
        const auto read
            = std::find_if(rows.begin(), rows.end(), [&film](const auto& row) { return row.first == film.rowid; });
        if (read != rows.end())
            held.row = std::move(read->second);
    }
}

std::optional<StoredRow> RowsAhead::take(const ListedFilm& film)
{
    m_lastAsked = film.rowid;
    const auto held
        = std::find_if(m_held.begin(), m_held.end(), [&film](const Held& held) { return held.rowid == film.rowid; });
    if (held == m_held.end())
        return std::nullopt;
    std::optional<StoredRow> row = std::move(held->row);
    std::swap(*held, m_held.back()); // the held rows' order tells nothing
    m_held.pop_back();
    return row;
}

} // namespace vantrelle::store
