#include "MoviesTable.h"

#include "CatalogueFile.h"
#include "Columns.h"

#include "vantrelle/store/ConnectionString.h"
#include "vantrelle/store/Errors.h"

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace vantrelle::store {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kChangedBeforeSave
    = "Another program changed this film after the list was read; the changes were not saved";
constexpr std::string_view kDeletedBeforeSave
    = "Another program deleted this film after the list was read; the changes were not saved";
constexpr std::string_view kChangedBeforeDelete
    = "Another program changed this film after the list was read; it was not deleted";

} // namespace

// One thread at a time uses a connection (the query's owner), so the engine need not lock around every call;
// at the open that is one lock per value of tens of thousands of films.
MoviesTable::MoviesTable(const std::filesystem::path& file, bool readOnly)
    : m_db(file, (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX, throwEngineError)
    , m_file(file)
    , m_ahead(file)
{
    // The engine opens a file it may not write for reading only; a write would then fail only once a whole film
    // was typed. It makes its journal beside the file, so a folder it may not write is as good as read-only.
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    m_readOnly = readOnly || sqlite3_db_readonly(m_db.handle(), "main") == 1 || ::access(folder.c_str(), W_OK) != 0;
    // Another program's write holds the file only briefly; a longer wait would freeze the window.
    m_db.check(sqlite3_busy_timeout(m_db.handle(), 5000));
    // Every committed write is on disk before the post returns (the default; set so it never drifts).
    m_db.exec("PRAGMA synchronous = FULL");
    struct stat status { };
    if (::stat(file.c_str(), &status) == 0) {
        m_device = status.st_dev;
        m_inode = status.st_ino;
    }
}

std::unique_ptr<MoviesTable> MoviesTable::connect(std::string_view connectionString)
{
    const fs::path file = databaseFile(connectionString, fs::current_path());
    checkCatalogueFile(file);
    std::unique_ptr<MoviesTable> table;
    try {
        table.reset(new MoviesTable(file, readOnlyAsked(connectionString)));
    } catch (const EEngineError& e) {
        throw EEngineError("Cannot open " + quoted(file) + ": " + e.what());
    }
    table->checkHoldsMovies();
    return table;
}

void MoviesTable::checkHoldsMovies() const
{
    bool hasMovies = false;
    try {
        sqlite::Statement find(
            m_db, "SELECT 1 FROM sqlite_master WHERE type IN ('table', 'view') AND name = 'Movies' COLLATE NOCASE");
        hasMovies = find.step();
    } catch (const EEngineBusy&) {
        throw; // says all by itself
    } catch (const EEngineError& e) {
        throw EEngineError("Cannot open " + quoted(m_file) + ": " + e.what());
    }
    if (!hasMovies)
        throw EEngineError(quoted(m_file) + " holds no table Movies");
}

bool MoviesTable::reads(std::string_view connectionString) const
{
    struct stat status { };
    return databaseFile(connectionString, fs::current_path()) == m_file && ::stat(m_file.c_str(), &status) == 0
        && status.st_dev == m_device && status.st_ino == m_inode;
}

std::int64_t MoviesTable::dataVersion() const
{
    sqlite::Statement version(m_db, "PRAGMA data_version");
    version.step();
    return sqlite3_column_int64(version.handle(), 0);
}

std::vector<StoredRow> MoviesTable::readAll()
{
    checkCatalogueFile(m_file);
    sqlite::Transaction transaction(m_db, sqlite::Transaction::Access::read);
    checkHoldsMovies(); // the transaction's first read: no other program's commit can come after it
    sqlite::Statement select(m_db, "SELECT * FROM Movies");
    const auto index = resultColumns(select.handle());
    checkColumnTypes(m_db.handle(), select.handle(), index);
    std::vector<StoredRow> rows;
    const ValueReader reader(select.handle(), index);
    while (select.step())
        rows.push_back(reader.row());
    transaction.commit();
    return rows;
}

FilmList MoviesTable::listWholeRows()
{
    m_wholeRows = readAll();
    FilmList list;
    list.films.reserve(m_wholeRows.size());
    for (std::size_t i = 0; i < m_wholeRows.size(); ++i) {
        ListedFilm& film = list.films.emplace_back();
        film.rowid = static_cast<std::int64_t>(i);
        film.showValuesOf(m_wholeRows[i]);
    }
    sortNearlyOrdered(list.films);
    return list;
}

FilmList MoviesTable::readList()
{
    // A kept list serves one read at most, and none after a failure.
    std::optional<FilmList> kept = std::exchange(m_keptList, std::nullopt);
    const std::optional<std::int64_t> keptVersion = std::exchange(m_listVersion, std::nullopt);
    m_readFilms.reset();
    m_ahead = RowsAhead(m_file);
    m_wholeRows.clear();
    checkCatalogueFile(m_file);
    sqlite::Transaction transaction(m_db, sqlite::Transaction::Access::read);
    checkHoldsMovies(); // the transaction's first read: no other program's commit can come after it
    const std::int64_t version = dataVersion();
    {
        const sqlite::Statement every(m_db, "SELECT * FROM Movies");
        checkColumnTypes(m_db.handle(), every.handle(), resultColumns(every.handle()));
    }
    if (!hasRowids()) {
        transaction.commit();
        return listWholeRows();
    }
    m_readFilms.emplace(m_db, selectByRowids(RowsAhead::kRows));
    m_filmColumns = resultColumns(m_readFilms->handle());
    const bool unchanged = kept && keptVersion == version;
    FilmList list;
    if (unchanged)
        list = std::move(*kept);
    else
        list.films = readListedFilms();
    transaction.commit();
    m_listVersion = version;
    if (unchanged)
        placePosted(list.films);
    return list;
}

bool MoviesTable::hasRowids() const
{
    // A view's rowid reads as null, where one would expect the statement to fail.
    sqlite::Statement view(m_db, "SELECT 1 FROM sqlite_master WHERE type = 'view' AND name = 'Movies' COLLATE NOCASE");
    if (view.step())
        return false;
    try {
        const sqlite::Statement rowids(m_db, "SELECT rowid FROM Movies");
        return true;
    } catch (const EEngineBusy&) {
        throw;
    } catch (const EEngineError&) {
        return false; // no such table, or one WITHOUT ROWID
    }
}

bool MoviesTable::idIsRowid() const
{
    int primaryKey = 0;
    if (sqlite3_table_column_metadata(
            m_db.handle(), "main", "Movies", "ID", nullptr, nullptr, nullptr, &primaryKey, nullptr)
            != SQLITE_OK
        || !primaryKey)
        return false;
    // A primary key that is not the rowid (INTEGER PRIMARY KEY DESC among them) has an index of its own.
    sqlite::Statement keyIndex(m_db, "SELECT 1 FROM pragma_index_list('Movies') WHERE origin = 'pk'");
    return !keyIndex.step();
}

std::vector<ListedFilm> MoviesTable::readListedFilms() const
{
    // The title index gives the films in SQLite's NOCASE order, close to the collator's. Where ID is the rowid,
    // it is read once.
    const bool idIsRowid = this->idIsRowid();
    sqlite::Statement select(m_db,
        std::string("SELECT ") + (idIsRowid ? "ID" : "rowid AS listedRowid, ID")
            + ", NameOfMovie FROM Movies ORDER BY NameOfMovie COLLATE NOCASE");
    const auto index = resultColumns(select.handle());
    const ValueReader reader(select.handle(), index);
    // Room for every film at once, since growing a list of tens of thousands costs as much as reading it;
    // the highest rowid is the count in a catalogue we made, less its deletions.
    sqlite::Statement highest(m_db, "SELECT max(rowid) FROM Movies");
    highest.step();
    std::vector<ListedFilm> films;
    films.reserve(
        static_cast<std::size_t>(std::clamp<std::int64_t>(highest.columnInt(0), 0, std::int64_t { 1 } << 20)));
    while (select.step()) {
        ListedFilm& film = films.emplace_back();
        film.rowid = sqlite3_column_int64(select.handle(), 0);
        film.id = idIsRowid ? ValueReader::narrowed(film.rowid) : reader.integer(kIdColumn);
        film.title = reader.text(kTitleColumn);
    }
    sortNearlyOrdered(films);
    return films;
}

std::optional<StoredRow> MoviesTable::readFilm(std::span<const ListedFilm> films, std::size_t at)
{
    const ListedFilm& film = films[at];
    if (!m_readFilms) {
        const auto wholeRow = static_cast<std::size_t>(film.rowid);
        return wholeRow < m_wholeRows.size() ? std::optional(m_wholeRows[wholeRow]) : std::nullopt;
    }
    // The stamp before the rows: a commit in between leaves it older than they are, so that they are read again.
    const std::optional<FileStamp> stamp = m_ahead.stampOf(m_db.handle());
    if (!m_ahead.holds(film.rowid, stamp)) {
        const std::span<const ListedFilm> read = m_ahead.toRead(films, at, stamp);
        m_ahead.hold(read, readRows(read), stamp);
    }
    std::optional<StoredRow> row = m_ahead.take(film);
    // Another ID under the same rowid is another film: the file renumbered the rows of a table without an
    // integer key.
    if (row && film.id && row->values[kIdColumn] != FieldValue(*film.id))
        return std::nullopt;
    return row;
}

std::vector<std::pair<std::int64_t, StoredRow>> MoviesTable::readRows(std::span<const ListedFilm> films)
{
    m_readFilms->reset(); // after a failed read too
    for (std::size_t i = 0; i < RowsAhead::kRows; ++i) {
        const int parameter = static_cast<int>(i) + 1;
        if (i < films.size())
            m_readFilms->bindInt(parameter, films[i].rowid);
        else
            m_readFilms->bindNull(parameter);
    }
    std::vector<std::pair<std::int64_t, StoredRow>> rows;
    const ValueReader reader(m_readFilms->handle(), m_filmColumns);
    while (m_readFilms->step())
        rows.emplace_back(sqlite3_column_int64(m_readFilms->handle(), 0), reader.row());
    m_readFilms->reset(); // lets go of the file, which a statement under way holds against writers
    return rows;
}

void MoviesTable::searchUnreadable(UnreadableSearch& search, std::int64_t films)
{
    if (search.complete)
        return;
    if (!m_readFilms) {
        for (std::size_t i = 0; i < m_wholeRows.size(); ++i)
            if (!m_wholeRows[i].unreadable.empty())
                search.found.emplace(static_cast<std::int64_t>(i), m_wholeRows[i].unreadable);
        search.complete = true;
        return;
    }
    sqlite::Transaction transaction(m_db, sqlite::Transaction::Access::read);
    sqlite::Statement select(
        m_db, selectUnreadable() + (search.lastRowid ? " WHERE rowid > ?" : "") + " ORDER BY rowid LIMIT ?");
    int parameter = 1;
    if (search.lastRowid)
        select.bindInt(parameter++, *search.lastRowid);
    select.bindInt(parameter, films);
    const auto index = resultColumns(select.handle());
    const ValueReader reader(select.handle(), index);
    std::int64_t looked = 0;
    while (select.step()) {
        ++looked;
        search.lastRowid = sqlite3_column_int64(select.handle(), 0);
        std::vector<UnreadableValue> values;
        for (int k = 0; k < kMovieColumnCount; ++k)
            if (index[k] >= 0 && k != kTitleColumn)
                reader.read(k, &values);
        if (values.empty()) {
            search.found.erase(*search.lastRowid);
            continue;
        }
        StoredRow film;
        film.values[kIdColumn] = reader.read(kIdColumn);
        film.values[kTitleColumn] = reader.read(kTitleColumn);
        for (UnreadableValue& value : values)
            ValueReader::nameFilm(value, film);
        search.found[*search.lastRowid] = std::move(values);
    }
    transaction.commit();
    search.complete = looked < films;
}

void MoviesTable::readEach(const std::function<void(StoredRow&&)>& sink, CoverReading covers)
{
    if (!hasRowids()) {
        // No table Movies is read whole too, since readAll() words that best.
        for (const ListedFilm& film : listWholeRows().films)
            sink(std::move(m_wholeRows[static_cast<std::size_t>(film.rowid)]));
        return;
    }
    std::optional<sqlite::Statement> byRowid;
    byRowid.emplace(m_db, "SELECT * FROM Movies WHERE rowid = ?");
    checkColumnTypes(m_db.handle(), byRowid->handle(), resultColumns(byRowid->handle()));
    if (covers == CoverReading::skipped)
        byRowid.emplace(m_db, selectColumns(CoverReading::skipped) + " WHERE rowid = ?");
    const auto index = resultColumns(byRowid->handle());
    // Room for the table's pages (up to 64 MiB): rows read in title order come back to each page many times.
    m_db.exec("PRAGMA cache_size = -65536");
    checkCatalogueFile(m_file);
    sqlite::Transaction transaction(m_db, sqlite::Transaction::Access::read);
    checkHoldsMovies();
    // The list first, from the title index, then each row in its order.
    const ValueReader reader(byRowid->handle(), index);
    for (const ListedFilm& film : readListedFilms()) {
        byRowid->bindInt(1, film.rowid);
        if (byRowid->step())
            sink(reader.row());
        byRowid->reset();
    }
    transaction.commit();
}

std::unique_ptr<MoviesTable> MoviesTable::openToWrite(std::string_view connectionString)
{
    auto table = connect(connectionString);
    const sqlite::Statement select(table->m_db, "SELECT * FROM Movies");
    checkColumnTypes(table->m_db.handle(), select.handle(), resultColumns(select.handle()));
    return table;
}

std::optional<StoredRow> MoviesTable::readRowWhere(std::string_view condition, std::int64_t key) const
{
    sqlite::Statement select(m_db, "SELECT * FROM Movies WHERE " + std::string(condition) + " = ?");
    select.bindInt(1, key);
    if (!select.step())
        return std::nullopt;
    const auto index = resultColumns(select.handle());
    checkColumnTypes(m_db.handle(), select.handle(), index);
    return ValueReader(select.handle(), index).row();
}

std::int64_t MoviesTable::idOf(const StoredRow& row) const
{
    if (const auto* id = std::get_if<std::int32_t>(&row.values[kIdColumn]))
        return *id;
    throw EEngineError("This film has no ID, so it cannot be found in the table again");
}

std::pair<StoredRow, std::int64_t> MoviesTable::insert(const MovieRecord& values, const ColumnSet& set)
{
    sqlite::Transaction transaction(m_db);
    sqlite::Statement statement(m_db, insertCommand(set));
    bindWritten(statement, values, set);
    statement.step();
    const std::int64_t rowid = sqlite3_last_insert_rowid(m_db.handle());
    auto stored = readRowWhere("rowid", rowid);
    if (!stored)
        throw EEngineError("The new film could not be read back after it was written");
    transaction.commit();
    return { std::move(*stored), rowid };
}

StoredRow MoviesTable::update(const StoredRow& original, const MovieRecord& values, const ColumnSet& set)
{
    const std::int64_t id = idOf(original);
    sqlite::Transaction transaction(m_db);
    const auto current = readRowWhere("ID", id);
    if (!current)
        throw EUpdateConflict(std::string(kDeletedBeforeSave));
    if (*current != original)
        throw EUpdateConflict(std::string(kChangedBeforeSave));
    const std::string command = updateCommand(set);
    if (command.empty())
        return original;
    sqlite::Statement statement(m_db, command);
    statement.bindInt(bindWritten(statement, values, set), id);
    statement.step();
    auto stored = readRowWhere("ID", id);
    if (!stored)
        throw EEngineError("The film could not be read back after it was written");
    transaction.commit();
    return std::move(*stored);
}

MoviesTable::Appender::Appender(MoviesTable& table)
    : m_transaction(table.m_db)
    , m_insert(table.m_db, insertCommand(ColumnSet().set()))
{
}

void MoviesTable::Appender::add(const MovieRecord& row)
{
    bindWritten(m_insert, row, ColumnSet().set());
    m_insert.step();
    m_insert.reset();
}

void MoviesTable::remove(const StoredRow& original)
{
    const std::int64_t id = idOf(original);
    sqlite::Transaction transaction(m_db);
    const auto current = readRowWhere("ID", id);
    if (current && *current != original)
        throw EUpdateConflict(std::string(kChangedBeforeDelete));
    if (current) {
        sqlite::Statement statement(m_db, "DELETE FROM Movies WHERE ID = ?");
        statement.bindInt(1, id);
        statement.step();
    }
    transaction.commit();
}

} // namespace vantrelle::store
