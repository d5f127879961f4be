#include "vantrelle/titleindex/TitleIndex.h"

#include "AsciiFolding.h"
#include "WordTokenizer.h"
#include "vantrelle/Error.h"
#include "vantrelle/sqlite/Sqlite.h"
#include "vantrelle/titleindex/Schema.h"

#include <sstream>

namespace vantrelle::titleindex {

namespace {

std::optional<int> columnInt(const sqlite::Statement& statement, int column)
{
    if (statement.columnIsNull(column))
        return std::nullopt;
    return static_cast<int>(statement.columnInt(column));
}

// The dataset's genres are comma-separated: "Drama,Thriller".
std::vector<std::string> genreList(std::string_view genres)
{
    std::vector<std::string> list;
    std::istringstream fields { std::string(genres) };
    for (std::string genre; std::getline(fields, genre, ',');)
        if (!genre.empty())
            list.push_back(genre);
    return list;
}

// Readies a statement for its next use when a lookup is done with it, also after a failure, so that
// no statement is left holding the file's read lock between requests.
class Reuse {
public:
    explicit Reuse(sqlite::Statement& statement)
        : m_statement(statement)
    {
    }
    ~Reuse() { m_statement.reset(); }
    Reuse(const Reuse&) = delete;
    Reuse& operator=(const Reuse&) = delete;

private:
    sqlite::Statement& m_statement;
};

// Opens the index read-only and checks that it is one of the version this program reads.
std::unique_ptr<sqlite::Database> openIndex(const std::filesystem::path& file)
{
    std::unique_ptr<sqlite::Database> db;
    try {
        db = std::make_unique<sqlite::Database>(file, SQLITE_OPEN_READONLY);
    } catch (const std::exception& failure) {
        throw Error("Cannot open the title index \"" + file.string() + "\": " + failure.what());
    }
    std::string version;
    try {
        sqlite::Statement read(*db, "SELECT value FROM meta WHERE key = 'schema_version'");
        if (read.step())
            version = read.columnText(0);
    } catch (const std::exception& failure) {
        throw Error("\"" + file.string() + "\" is not a title index: " + failure.what());
    }
    if (version != std::to_string(kSchemaVersion))
        throw Error("The title index \"" + file.string() + "\" is of version "
            + (version.empty() ? std::string("unknown") : version) + ", and this program reads version "
            + std::to_string(kSchemaVersion) + ": import the title datasets again");
    return db;
}

} // namespace

struct TitleIndex::Statements {
    explicit Statements(const std::filesystem::path& file)
        : db(openIndex(file))
        , title(*db, "SELECT type, title, year, runtime, genres, votes FROM titles WHERE number = ?1")
        , directors(*db,
              "SELECT people.name FROM directors JOIN people ON people.number = directors.person "
              "WHERE directors.title = ?1 ORDER BY directors.position")
        , cast(*db,
              "SELECT people.name, cast_members.characters FROM cast_members "
              "JOIN people ON people.number = cast_members.person "
              "WHERE cast_members.title = ?1 ORDER BY cast_members.position")
        // The word index's rowid is the title's rank by votes: reading matches in rowid order meets
        // the best-known titles first, and the search stops after one page of them.
        , search(*db,
              "SELECT titles.number, titles.title, titles.year FROM "
              "(SELECT rowid AS rank FROM title_words WHERE title_words MATCH ?1 ORDER BY rowid LIMIT ?2) "
              "AS hits JOIN titles ON titles.rank = hits.rank ORDER BY hits.rank")
        , count(*db, "SELECT count(*) FROM titles")
        , importedAt(*db, "SELECT value FROM meta WHERE key = 'imported_at'")
        , tokenizer(db->handle())
    {
    }

    std::unique_ptr<sqlite::Database> db;
    sqlite::Statement title;
    sqlite::Statement directors;
    sqlite::Statement cast;
    sqlite::Statement search;
    sqlite::Statement count;
    sqlite::Statement importedAt;
    WordTokenizer tokenizer;
    AsciiFolding folding;
};

TitleIndex::TitleIndex(const std::filesystem::path& file)
    : m(std::make_unique<Statements>(file))
{
}

TitleIndex::~TitleIndex() = default;

std::optional<Title> TitleIndex::title(std::int64_t number) const
{
    sqlite::Statement& title = m->title;
    const Reuse titleReuse(title);
    title.bindInt(1, number);
    if (!title.step())
        return std::nullopt;
    Title found;
    found.number = number;
    found.type = title.columnText(0);
    found.title = title.columnText(1);
    found.year = columnInt(title, 2);
    found.runtime = columnInt(title, 3);
    found.genres = genreList(title.columnText(4));
    found.votes = title.columnInt(5);

    sqlite::Statement& directors = m->directors;
    const Reuse directorsReuse(directors);
    directors.bindInt(1, number);
    while (directors.step())
        found.directors.emplace_back(directors.columnText(0));

    sqlite::Statement& cast = m->cast;
    const Reuse castReuse(cast);
    cast.bindInt(1, number);
    while (cast.step())
        found.cast.push_back({ std::string(cast.columnText(0)), std::string(cast.columnText(1)) });
    return found;
}

std::vector<SearchHit> TitleIndex::search(std::string_view words) const
{
    std::vector<SearchHit> hits;
    // Folded as the titles were when they were indexed.
    const std::vector<std::string> terms = m->tokenizer.words(m->folding.fold(words));
    if (terms.empty() || terms.size() > kMostSearchWords)
        return hits;
    sqlite::Statement& search = m->search;
    const Reuse searchReuse(search);
    const std::string query = prefixQuery(terms);
    search.bindText(1, query);
    search.bindInt(2, static_cast<std::int64_t>(kSearchLimit));
    while (search.step())
        hits.push_back({ search.columnInt(0), std::string(search.columnText(1)), columnInt(search, 2) });
    return hits;
}

std::int64_t TitleIndex::titleCount() const
{
    sqlite::Statement& count = m->count;
    const Reuse countReuse(count);
    count.step();
    return count.columnInt(0);
}

std::string TitleIndex::importedAt() const
{
    sqlite::Statement& importedAt = m->importedAt;
    const Reuse importedAtReuse(importedAt);
    return importedAt.step() ? std::string(importedAt.columnText(0)) : std::string();
}

} // namespace vantrelle::titleindex
