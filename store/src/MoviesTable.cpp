#include "MoviesTable.h"

#include "ColumnTypes.h"
#include "Columns.h"
#include "IntegerText.h"
#include "StoredText.h"

#include "vantrelle/CodePage.h"
#include "vantrelle/store/ConnectionString.h"
#include "vantrelle/store/Errors.h"
#include "vantrelle/store/TitleOrder.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <strings.h>
#include <sys/stat.h>
#include <utility>

namespace vantrelle::store {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kChangedBeforeSave
    = "Another program changed this movie after the list was read; the changes were not saved";
constexpr std::string_view kDeletedBeforeSave
    = "Another program deleted this movie after the list was read; the changes were not saved";
constexpr std::string_view kChangedBeforeDelete
    = "Another program changed this movie after the list was read; it was not deleted";

std::string quoted(const fs::path& file)
{
    return quotedText(file.native());
}

// Says in our own words what SQLite would only call "unable to open" or "file is not a database".
void checkCatalogueFile(const fs::path& file)
{
    std::error_code error;
    const fs::file_status status = fs::status(file, error);
    if (!fs::exists(status)) {
        const fs::path folder = fs::absolute(file, error).parent_path();
        throw EEngineError("Could not find file " + quoted(file.filename()) + " in the folder " + quoted(folder));
    }
    if (fs::is_directory(status))
        throw EEngineError(quoted(file) + " is a folder, not a catalogue file");
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw EEngineError("Cannot read " + quoted(file) + ": " + std::strerror(errno));
    std::array<char, 32> header {};
    in.read(header.data(), header.size());
    const std::string_view bytes(header.data(), static_cast<std::size_t>(in.gcount()));
    if (bytes.empty())
        return; // SQLite takes an empty file as an empty database
    if (bytes.starts_with(std::string_view("SQLite format 3\0", 16)))
        return;
    // Jet 3/4 (.mdb) and ACE (.accdb) files carry their engine's name at offset 4.
    if (bytes.size() >= 19 && (bytes.substr(4, 15) == "Standard Jet DB" || bytes.substr(4, 15) == "Standard ACE DB"))
        throw EEngineError(quoted(file)
            + " is a Microsoft Access (Jet) database, which cannot be opened directly; copy its "
              "table Movies into a SQLite catalogue (vantrelle-tool create) first");
    throw EEngineError(quoted(file) + " is not a SQLite database");
}

// Where each declared column is in a statement's result; -1 when missing.
std::array<int, kMovieColumnCount> resultColumns(sqlite3_stmt* stmt)
{
    std::array<int, kMovieColumnCount> index;
    index.fill(-1);
    const int count = sqlite3_column_count(stmt);
    for (int k = 0; k < kMovieColumnCount; ++k)
        for (int i = 0; i < count && index[k] < 0; ++i)
            if (strcasecmp(sqlite3_column_name(stmt, i), kColumns[k].name) == 0)
                index[k] = i;
    return index;
}

void checkColumnTypes(sqlite3* db, sqlite3_stmt* stmt, const std::array<int, kMovieColumnCount>& index)
{
    for (int k = 0; k < kMovieColumnCount; ++k) {
        if (index[k] < 0)
            throw EDatabaseError(std::string("Field '") + kColumns[k].name + "' not found");
        const char* declared = sqlite3_column_decltype(stmt, index[k]);
        int autoIncrement = 0;
        const char* table = sqlite3_column_table_name(stmt, index[k]);
        const char* origin = sqlite3_column_origin_name(stmt, index[k]);
        if (table && origin)
            sqlite3_table_column_metadata(db, sqlite3_column_database_name(stmt, index[k]), table, origin, nullptr,
                nullptr, nullptr, nullptr, &autoIncrement);
        const std::string_view declaredType = declared ? declared : "";
        if (!typeCompatible(kColumns[k].type, declaredType, autoIncrement != 0))
            throw EDatabaseError(std::string("Type mismatch for field '") + kColumns[k].name + "', expecting: "
                + expectedTypeName(kColumns[k].type) + " actual: " + columnTypeName(declaredType, autoIncrement != 0));
    }
}

std::string_view textOf(sqlite3_stmt* stmt, int i)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
    return text ? std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt, i))) : "";
}

// Reads a row as the columns' types. A value that another program stored with another storage class is
// converted where it can be (integral numbers, integer text, numbers as text, text as bytes); empty text in
// an integer column is null, as when it is set. Any other value reads as null and is listed as unreadable.
class ValueReader {
public:
    ValueReader(sqlite3_stmt* stmt, const std::array<int, kMovieColumnCount>& index)
        : m_stmt(stmt)
        , m_index(index)
    {
    }

    StoredRow row() const
    {
        StoredRow row;
        for (int k = 0; k < kMovieColumnCount; ++k)
            read(k, row);
        for (UnreadableValue& value : row.unreadable)
            nameFilm(value, row);
        return row;
    }

    // Fills in which film an unreadable value belongs to.
    static void nameFilm(UnreadableValue& value, const StoredRow& row)
    {
        const auto* id = std::get_if<std::int32_t>(&row.values[kIdColumn]);
        const auto* title = std::get_if<std::string>(&row.values[kTitleColumn]);
        value.id = id ? std::optional(*id) : std::nullopt;
        value.title = title ? *title : std::string();
    }

private:
    void read(int k, StoredRow& row) const
    {
        const int i = m_index[k];
        if (i < 0)
            return; // not selected
        const int storage = sqlite3_column_type(m_stmt, i);
        if (storage == SQLITE_NULL)
            return;
        switch (kColumns[k].type) {
        case TFieldType::ftAutoInc:
        case TFieldType::ftInteger:
            if (const auto value = integer(i, storage))
                row.values[k] = *value;
            else if (storage == SQLITE_BLOB)
                unreadable(k, "binary data", "a 32-bit integer", row);
            else if (storage != SQLITE_TEXT || sqlite3_column_bytes(m_stmt, i) > 0)
                unreadable(k, quotedText(shortenedText(textOf(m_stmt, i))), "a 32-bit integer", row);
            return;
        case TFieldType::ftWideString:
            row.values[k] = ansiToUtf8(storage == SQLITE_BLOB ? blobOf(i) : textOf(m_stmt, i));
            return;
        case TFieldType::ftBlob:
            if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT)
                unreadable(k, "the number " + std::string(textOf(m_stmt, i)), "picture bytes", row);
            else
                row.values[k] = toBytes(storage == SQLITE_TEXT ? textOf(m_stmt, i) : blobOf(i));
            return;
        }
    }

    std::optional<std::int32_t> integer(int i, int storage) const
    {
        constexpr auto low = std::numeric_limits<std::int32_t>::min();
        constexpr auto high = std::numeric_limits<std::int32_t>::max();
        if (storage == SQLITE_INTEGER) {
            const std::int64_t value = sqlite3_column_int64(m_stmt, i);
            if (value >= low && value <= high)
                return static_cast<std::int32_t>(value);
        } else if (storage == SQLITE_FLOAT) {
            const double value = sqlite3_column_double(m_stmt, i);
            if (std::isfinite(value) && value == std::trunc(value) && value >= low && value <= high)
                return static_cast<std::int32_t>(value);
        } else if (storage == SQLITE_TEXT) {
            return parseInteger(textOf(m_stmt, i));
        }
        return std::nullopt;
    }

    std::string_view blobOf(int i) const
    {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(m_stmt, i));
        return data ? std::string_view(data, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, i))) : "";
    }

    static Bytes toBytes(std::string_view bytes) { return Bytes(bytes.begin(), bytes.end()); }

    static void unreadable(int k, std::string stored, std::string expected, StoredRow& row)
    {
        row.unreadable.push_back({ kColumns[k].name, std::nullopt, {}, std::move(stored), std::move(expected) });
    }

    sqlite3_stmt* m_stmt;
    const std::array<int, kMovieColumnCount>& m_index;
};

// The rows in title order by the user's collator: those without a title first, equal titles in the order read.
std::vector<StoredRow> inTitleOrder(std::vector<StoredRow> rows)
{
    const TitleCollator& collator = TitleCollator::user();
    std::vector<std::pair<std::string, std::size_t>> keys;
    keys.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto* title = std::get_if<std::string>(&rows[i].values[kTitleColumn]);
        keys.emplace_back(title ? '\x01' + collator.sortKey(*title) : std::string(), i);
    }
    std::sort(keys.begin(), keys.end());
    std::vector<StoredRow> sorted;
    sorted.reserve(rows.size());
    for (const auto& key : keys)
        sorted.push_back(std::move(rows[key.second]));
    return sorted;
}

void bindValue(sqlite::Statement& statement, int parameter, const FieldValue& value)
{
    if (const auto* number = std::get_if<std::int32_t>(&value))
        statement.bindInt(parameter, *number);
    else if (const auto* text = std::get_if<std::string>(&value))
        statement.bindText(parameter, *text);
    else if (const auto* bytes = std::get_if<Bytes>(&value))
        statement.bindBlob(parameter, bytes->data(), bytes->size());
    else
        statement.bindNull(parameter);
}

// The insert of the `set` columns but ID, whose values bindInserted() binds.
std::string insertCommand(const ColumnSet& set)
{
    std::string names, marks;
    for (int k = 0; k < kMovieColumnCount; ++k) {
        if (k == kIdColumn || !set[k])
            continue;
        names += (names.empty() ? "" : ", ") + std::string(kColumns[k].name);
        marks += marks.empty() ? "?" : ", ?";
    }
    return names.empty() ? "INSERT INTO Movies DEFAULT VALUES"
                         : "INSERT INTO Movies (" + names + ") VALUES (" + marks + ")";
}

void bindInserted(sqlite::Statement& insert, const MovieRecord& values, const ColumnSet& set)
{
    int parameter = 1;
    for (int k = 0; k < kMovieColumnCount; ++k)
        if (k != kIdColumn && set[k])
            bindValue(insert, parameter++, values[k]);
}

} // namespace

MoviesTable::MoviesTable(const std::filesystem::path& file)
    : m_db(file, SQLITE_OPEN_READWRITE, throwEngineError)
    , m_file(file)
{
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
        table.reset(new MoviesTable(file));
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
    // Kept covers serve one read at most, and none after a failure.
    KeptCovers kept = std::exchange(m_keptCovers, {});
    const bool keptUsable = std::exchange(m_keptCoversUsable, true);
    checkCatalogueFile(m_file);
    sqlite::Transaction transaction(m_db, sqlite::Transaction::Access::read);
    checkHoldsMovies(); // the transaction's first read: no other program's commit can come after it
    const std::int64_t version = dataVersion();
    // Read in the file's order, and put in title order here.
    sqlite::Statement select(m_db, "SELECT * FROM Movies");
    const auto index = resultColumns(select.handle());
    checkColumnTypes(m_db.handle(), select.handle(), index);
    std::vector<StoredRow> rows;
    if (!keptUsable || m_readVersion != version || !readKeepingCovers(kept, rows)) {
        rows.clear();
        const ValueReader reader(select.handle(), index);
        while (select.step())
            rows.push_back(reader.row());
    }
    transaction.commit();
    m_readVersion = version;
    return inTitleOrder(std::move(rows));
}

bool MoviesTable::readKeepingCovers(KeptCovers& kept, std::vector<StoredRow>& rows) const
{
    static const std::string withoutCover = [] {
        std::string columns;
        for (int k = 0; k < kMovieColumnCount; ++k)
            if (k != kCoverColumn)
                columns.append(columns.empty() ? "" : ", ").append(kColumns[k].name);
        return "SELECT " + columns + " FROM Movies";
    }();
    sqlite::Statement select(m_db, withoutCover);
    const auto index = resultColumns(select.handle());
    const ValueReader reader(select.handle(), index);
    while (select.step()) {
        StoredRow row = reader.row();
        const auto* id = std::get_if<std::int32_t>(&row.values[kIdColumn]);
        const auto cover = id ? kept.find(*id) : kept.end();
        if (cover == kept.end())
            return false;
        row.values[kCoverColumn] = std::move(cover->second.value);
        if (cover->second.unreadable) {
            // In column order: before the columns that follow Cover.
            const auto after = std::find_if(row.unreadable.begin(), row.unreadable.end(),
                [](const UnreadableValue& value) { return columnIndex(value.column) > kCoverColumn; });
            ValueReader::nameFilm(*row.unreadable.insert(after, *cover->second.unreadable), row);
        }
        kept.erase(cover);
        rows.push_back(std::move(row));
    }
    return true;
}

void MoviesTable::keepCover(StoredRow& row)
{
    const auto* id = std::get_if<std::int32_t>(&row.values[kIdColumn]);
    if (!id || m_keptCovers.contains(*id)) {
        m_keptCoversUsable = false;
        return;
    }
    KeptCover& kept = m_keptCovers[*id];
    kept.value = std::move(row.values[kCoverColumn]);
    const auto unreadable = std::find_if(row.unreadable.begin(), row.unreadable.end(),
        [](const UnreadableValue& value) { return columnIndex(value.column) == kCoverColumn; });
    if (unreadable != row.unreadable.end())
        kept.unreadable = *unreadable;
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
    throw EEngineError("This movie has no ID, so it cannot be found in the table again");
}

StoredRow MoviesTable::insert(const MovieRecord& values, const ColumnSet& set)
{
    sqlite::Transaction transaction(m_db);
    sqlite::Statement statement(m_db, insertCommand(set));
    bindInserted(statement, values, set);
    statement.step();
    auto stored = readRowWhere("rowid", sqlite3_last_insert_rowid(m_db.handle()));
    if (!stored)
        throw EEngineError("The new movie could not be read back after it was written");
    transaction.commit();
    return std::move(*stored);
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
    std::string assignments;
    for (int k = 0; k < kMovieColumnCount; ++k)
        if (k != kIdColumn && set[k])
            assignments += (assignments.empty() ? "" : ", ") + std::string(kColumns[k].name) + " = ?";
    if (assignments.empty())
        return original;
    sqlite::Statement statement(m_db, "UPDATE Movies SET " + assignments + " WHERE ID = ?");
    int parameter = 1;
    for (int k = 0; k < kMovieColumnCount; ++k)
        if (k != kIdColumn && set[k])
            bindValue(statement, parameter++, values[k]);
    statement.bindInt(parameter, id);
    statement.step();
    auto stored = readRowWhere("ID", id);
    if (!stored)
        throw EEngineError("The movie could not be read back after it was written");
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
    bindInserted(m_insert, row, ColumnSet().set());
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
