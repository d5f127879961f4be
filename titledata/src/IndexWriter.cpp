#include "IndexWriter.h"

#include "vantrelle/titleindex/Schema.h"

#include <ctime>
#include <string>

namespace vantrelle::titledata {

namespace {

// The order of titles.rank: votes, most first, ties by number.
const std::string kRankOrder = "votes DESC, number";

constexpr int kCastKept = 4;

void bindOptional(sqlite::Statement& statement, int index, const std::optional<std::string_view>& text)
{
    text ? statement.bindText(index, *text) : statement.bindNull(index);
}

void bindOptional(sqlite::Statement& statement, int index, const std::optional<int>& number)
{
    number ? statement.bindInt(index, *number) : statement.bindNull(index);
}

void run(sqlite::Statement& statement)
{
    statement.step();
    statement.reset();
}

// ascii_fold(text): the text with its Latin letters spelled in ASCII.
void asciiFold(sqlite3_context* context, int, sqlite3_value** arguments)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(arguments[0]));
    if (!text) {
        sqlite3_result_null(context);
        return;
    }
    const auto& folding = *static_cast<const titleindex::AsciiFolding*>(sqlite3_user_data(context));
    try {
        const std::string folded
            = folding.fold(std::string_view(text, static_cast<std::size_t>(sqlite3_value_bytes(arguments[0]))));
        sqlite3_result_text(context, folded.data(), static_cast<int>(folded.size()), SQLITE_TRANSIENT);
    } catch (const std::bad_alloc&) {
        sqlite3_result_error_nomem(context);
    }
}

// among_people(number): whether the number is in the writer's set of people.
void amongPeople(sqlite3_context* context, int, sqlite3_value** arguments)
{
    const auto& people = *static_cast<const NumberSet*>(sqlite3_user_data(context));
    const sqlite3_int64 number = sqlite3_value_int64(arguments[0]);
    sqlite3_result_int(
        context, number >= 0 && number <= kMaxNumber && people.contains(static_cast<std::uint32_t>(number)));
}

std::string nowIso8601()
{
    const std::time_t now = std::time(nullptr);
    std::tm utc {};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

} // namespace

IndexWriter::IndexWriter(const std::filesystem::path& file)
    : m_db(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)
{
    // The file is new and private until it is renamed into place: no journal, no syncing, no sharing.
    // Sorting (ranks, word index) spills to temporary files rather than memory beyond the caches.
    m_db.exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA locking_mode = EXCLUSIVE;"
              "PRAGMA cache_size = -65536; PRAGMA temp_store = FILE; PRAGMA temp.cache_size = -32768");
    m_db.check(sqlite3_create_function_v2(m_db.handle(), "ascii_fold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
        &m_folding, asciiFold, nullptr, nullptr, nullptr));
    m_transaction.emplace(m_db);
    m_db.exec(titleindex::kSchemaSql);
    m_db.exec("CREATE TEMP TABLE staged_titles (number INTEGER PRIMARY KEY, type TEXT NOT NULL, title TEXT NOT NULL,"
              " original_title TEXT, year INTEGER, runtime INTEGER, genres TEXT, votes INTEGER NOT NULL DEFAULT 0)");
    m_insertTitle.emplace(m_db,
        "INSERT INTO staged_titles (number, type, title, original_title, year, runtime, "
        "genres) VALUES (?, ?, ?, ?, ?, ?, ?)");
    m_setVotes.emplace(m_db, "UPDATE staged_titles SET votes = ? WHERE number = ?");
    m_insertDirector.emplace(m_db, "INSERT INTO directors (title, position, person) VALUES (?, ?, ?)");
    m_db.exec("CREATE TEMP TABLE staged_cast (title INTEGER NOT NULL, ordering INTEGER NOT NULL,"
              " person INTEGER NOT NULL, characters TEXT)");
    m_stageCastMember.emplace(
        m_db, "INSERT INTO staged_cast (title, ordering, person, characters) VALUES (?, ?, ?, ?)");
    // Names arrive in the file's order, which is not the number order of the people table: they wait
    // here and go into that table sorted, once the cast tells which of them are kept.
    m_db.exec("CREATE TEMP TABLE staged_people (number INTEGER NOT NULL, name TEXT NOT NULL)");
    m_insertPerson.emplace(m_db, "INSERT INTO staged_people (number, name) VALUES (?, ?)");
    m_db.check(sqlite3_create_function_v2(m_db.handle(), "among_people", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
        &m_people, amongPeople, nullptr, nullptr, nullptr));
}

void IndexWriter::addTitle(const TitleRow& title)
{
    sqlite::Statement& insert = *m_insertTitle;
    insert.bindInt(1, title.number);
    bindOptional(insert, 2, title.type);
    bindOptional(insert, 3, title.title);
    bindOptional(insert, 4, title.originalTitle);
    bindOptional(insert, 5, title.year);
    bindOptional(insert, 6, title.runtime);
    bindOptional(insert, 7, title.genres);
    run(insert);
}

void IndexWriter::setVotes(std::uint32_t title, std::uint32_t votes)
{
    m_setVotes->bindInt(1, votes);
    m_setVotes->bindInt(2, title);
    run(*m_setVotes);
}

void IndexWriter::addDirector(std::uint32_t title, int position, std::uint32_t person)
{
    m_insertDirector->bindInt(1, title);
    m_insertDirector->bindInt(2, position);
    m_insertDirector->bindInt(3, person);
    run(*m_insertDirector);
}

void IndexWriter::stageCastMember(const PrincipalRow& principal)
{
    sqlite::Statement& stage = *m_stageCastMember;
    stage.bindInt(1, principal.number);
    stage.bindInt(2, principal.ordering);
    stage.bindInt(3, principal.person);
    bindOptional(
        stage, 4, principal.characters.empty() ? std::nullopt : std::optional<std::string_view>(principal.characters));
    run(stage);
}

void IndexWriter::addPerson(std::uint32_t person, std::string_view name)
{
    m_insertPerson->bindInt(1, person);
    m_insertPerson->bindText(2, name);
    run(*m_insertPerson);
    m_people.insert(person);
}

std::uint64_t IndexWriter::rankCast()
{
    // Ties in ordering (a row given twice) go to the row read first. The window's sort leaves the rows
    // in title order, the order of the cast table's key.
    m_db.exec("INSERT INTO cast_members (title, position, person, characters) "
              "SELECT title, position, person, characters FROM (SELECT title, person, characters, "
              "row_number() OVER (PARTITION BY title ORDER BY ordering, rowid) AS position "
              "FROM staged_cast WHERE among_people(person)) "
              "WHERE position <= "
        + std::to_string(kCastKept));
    m_db.exec("DROP TABLE staged_cast");

    // From here on, the set holds the people that a chosen cast row or a director names.
    m_people = NumberSet();
    for (const char* sql : { "SELECT person FROM cast_members", "SELECT person FROM directors" }) {
        sqlite::Statement people(m_db, sql);
        while (people.step())
            m_people.insert(static_cast<std::uint32_t>(people.columnInt(0)));
    }
    m_db.exec("INSERT INTO people (number, name) SELECT number, name FROM staged_people "
              "WHERE among_people(number) ORDER BY number");
    const auto kept = static_cast<std::uint64_t>(sqlite3_changes64(m_db.handle()));
    m_db.exec("DROP TABLE staged_people");
    return kept;
}

void IndexWriter::rankTitles()
{
    // Written in number order, so the table's own B-tree only ever grows at its end.
    m_db.exec("INSERT INTO titles (number, rank, type, title, original_title, year, runtime, genres, votes) "
              "SELECT number, row_number() OVER (ORDER BY "
        + kRankOrder
        + "), type, title, original_title, year, "
          "runtime, genres, votes FROM staged_titles ORDER BY number");
}

void IndexWriter::indexWords()
{
    // In rank order: the word index gathers ascending rowids in memory and writes them out in large
    // segments; out-of-order rowids would make it flush at every row.
    m_db.exec("INSERT INTO title_words (rowid, words) SELECT row_number() OVER (ORDER BY " + kRankOrder
        + "), "
          "ascii_fold(CASE WHEN original_title IS NULL OR original_title = title THEN title "
          "ELSE title || ' ' || original_title END) FROM staged_titles ORDER BY "
        + kRankOrder);
    m_db.exec("DROP TABLE staged_titles");
    // One segment per term: a search then reads each term's list in one go.
    m_db.exec("INSERT INTO title_words (title_words) VALUES ('optimize')");
}

void IndexWriter::commit(std::string_view source)
{
    sqlite::Statement meta(m_db, "INSERT INTO meta (key, value) VALUES (?, ?)");
    const std::string version = std::to_string(titleindex::kSchemaVersion);
    const std::string importedAt = nowIso8601();
    for (const auto& [key, value] : { std::pair<std::string_view, std::string_view> { "schema_version", version },
             { "source", source }, { "imported_at", importedAt } }) {
        meta.bindText(1, key);
        meta.bindText(2, value);
        run(meta);
    }
    m_transaction->commit();
}

} // namespace vantrelle::titledata
