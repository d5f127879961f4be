#include "StoreFixture.h"

#include <filesystem>
#include <functional>

using namespace vantrelle::store;
using vantrelle::store::test::StoreTest;

namespace {

struct Failure {
    const char* name;
    int films;
    std::function<void(MoviesQuery&)> setup; // nullptr: the query stays closed
    std::function<void(MoviesQuery&)> operation;
    std::string message;
    QueryState stateAfter;
};

void open(MoviesQuery& q)
{
    q.open();
}

const Failure kFailures[] = {
    { "InsertClosed", 1, nullptr, [](MoviesQuery& q) { q.insert(); },
        "Cannot perform this operation on a closed dataset", qsClosed },
    { "EditClosed", 1, nullptr, [](MoviesQuery& q) { q.edit(); }, "Cannot perform this operation on a closed dataset",
        qsClosed },
    { "DeleteClosed", 1, nullptr, [](MoviesQuery& q) { q.deleteRow(); },
        "Cannot perform this operation on a closed dataset", qsClosed },
    { "MoveClosed", 1, nullptr, [](MoviesQuery& q) { q.next(); }, "Cannot perform this operation on a closed dataset",
        qsClosed },
    { "PickClosed", 1, nullptr, [](MoviesQuery& q) { q.setRecNo(1); },
        "Cannot perform this operation on a closed dataset", qsClosed },
    { "DeleteEmpty", 0, open, [](MoviesQuery& q) { q.deleteRow(); },
        "Cannot perform this operation on an empty dataset", qsBrowse },
    { "PostInBrowse", 1, open, [](MoviesQuery& q) { q.post(); }, "Dataset not in edit or insert mode", qsBrowse },
    { "PostClosed", 1, nullptr, [](MoviesQuery& q) { q.post(); }, "Dataset not in edit or insert mode", qsClosed },
    { "SetTextInBrowse", 1, open, [](MoviesQuery& q) { q.aqMoviesGenre.setAsString("Drama"); },
        "Dataset not in edit or insert mode", qsBrowse },
    { "SetIntegerInBrowse", 1, open, [](MoviesQuery& q) { q.aqMoviesYear.setAsInteger(1999); },
        "Dataset not in edit or insert mode", qsBrowse },
    { "SetCoverClosed", 1, nullptr,
        [](MoviesQuery& q) {
            q.aqMoviesCover.setAsBytes({ 1, 2 });
        },
        "Dataset not in edit or insert mode", qsClosed },
    { "SetId", 1,
        [](MoviesQuery& q) {
            q.open();
            q.edit();
        },
        [](MoviesQuery& q) { q.aqMoviesID.setAsInteger(7); }, "Field 'ID' cannot be modified", qsEdit },
    { "SetIdFromText", 1,
        [](MoviesQuery& q) {
            q.open();
            q.insert();
        },
        [](MoviesQuery& q) { q.aqMoviesID.setAsString("7"); }, "Field 'ID' cannot be modified", qsInsert },
    { "IntegerFromWords", 1,
        [](MoviesQuery& q) {
            q.open();
            q.edit();
        },
        [](MoviesQuery& q) { q.aqMoviesYear.setAsString("19-99"); },
        "'19-99' is not a valid integer value for field 'Year'", qsEdit },
    { "UnknownColumnByName", 1, open, [](MoviesQuery& q) { q.fieldByName("Rating"); }, "Field 'Rating' not found",
        qsBrowse },
};

class Messages : public StoreTest, public ::testing::WithParamInterface<Failure> { };

} // namespace

TEST_P(Messages, FailWithTheirTextAndKeepTheState)
{
    const Failure& f = GetParam();
    std::vector<std::pair<std::string, int>> films;
    for (int i = 0; i < f.films; ++i)
        films.push_back({ "Film " + std::to_string(i), 2000 });
    addFilms(films);
    if (f.setup)
        f.setup(query);
    const std::string yearBefore = query.aqMoviesYear.asString();
    events.clear();
    try {
        f.operation(query);
        FAIL() << "no failure";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(std::string(e.what()), f.message);
    }
    EXPECT_EQ(query.state(), f.stateAfter);
    EXPECT_EQ(query.aqMoviesYear.asString(), yearBefore);
    EXPECT_TRUE(events.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Store, Messages, ::testing::ValuesIn(kFailures), [](const auto& info) { return std::string(info.param.name); });

namespace {

struct BadCatalogue {
    const char* name;
    std::function<void(StoreTest&, const std::filesystem::path&)> make; // makes the file Movies.mdb
    std::string message; // %d = the working directory
};

} // namespace

class EngineErrors : public StoreTest {
protected:
    void expectOpenFails(const std::string& message)
    {
        try {
            query.open();
            FAIL() << "open succeeded";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
        EXPECT_EQ(query.state(), qsClosed);
        EXPECT_TRUE(events.empty());
        EXPECT_THROW(query.insert(), EDatabaseError);
    }

    std::string file() const { return (m_dir / "Movies.mdb").string(); }

    void replaceFile(std::string_view bytes)
    {
        std::filesystem::remove(m_dir / "Movies.mdb");
        vantrelle::test::writeFile(m_dir / "Movies.mdb", bytes);
    }
};

TEST_F(EngineErrors, MissingFileNamesFileAndFolder)
{
    std::filesystem::remove(m_dir / "Movies.mdb");
    expectOpenFails("Could not find file 'Movies.mdb' in the folder '" + m_dir.path().string() + "'");
}

TEST_F(EngineErrors, FileThatIsNotSqlite)
{
    replaceFile("Just some notes about films, not a database at all.");
    expectOpenFails("'" + file() + "' is not a SQLite database");
}

TEST_F(EngineErrors, AccessFileIsRecognisedByItsHeader)
{
    for (const char* engine : { "Standard Jet DB", "Standard ACE DB" }) {
        replaceFile(std::string("\x00\x01\x00\x00", 4) + engine + std::string(2048, '\0'));
        expectOpenFails("'" + file()
            + "' is a Microsoft Access (Jet) database, which cannot be opened directly; copy its table "
              "Movies into a SQLite catalogue (vantrelle-tool create) first");
    }
}

TEST_F(EngineErrors, DatabaseWithoutMoviesTable)
{
    sql("DROP TABLE Movies; CREATE TABLE Films (ID INTEGER);");
    expectOpenFails("'" + file() + "' holds no table Movies");
    replaceFile("");
    expectOpenFails("'" + file() + "' holds no table Movies");
}

TEST_F(EngineErrors, CorruptDatabaseSaysWhichFile)
{
    std::string bytes = vantrelle::test::readFile(m_dir / "Movies.mdb");
    for (std::size_t i = 100; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(0xA5);
    replaceFile(bytes);
    try {
        query.open();
        FAIL() << "open succeeded";
    } catch (const EEngineError& e) {
        EXPECT_TRUE(std::string(e.what()).starts_with("Cannot open '" + file() + "': ")) << e.what();
    }
    EXPECT_EQ(query.state(), qsClosed);
}

TEST_F(EngineErrors, ColumnsAreBoundByNameAndType)
{
    const struct {
        const char* alteration;
        std::string message;
    } cases[] = {
        { "ALTER TABLE Movies DROP COLUMN Year", "Field 'Year' not found" },
        { "ALTER TABLE Movies RENAME COLUMN Tagline TO Slogan", "Field 'Tagline' not found" },
        { "ALTER TABLE Movies DROP COLUMN Runtime; ALTER TABLE Movies ADD COLUMN Runtime SMALLINT",
            "Type mismatch for field 'Runtime', expecting: Integer actual: SmallInt" },
        { "ALTER TABLE Movies DROP COLUMN Year; ALTER TABLE Movies ADD COLUMN Year BIGINT",
            "Type mismatch for field 'Year', expecting: Integer actual: LargeInt" },
        { "ALTER TABLE Movies DROP COLUMN Genre; ALTER TABLE Movies ADD COLUMN Genre INTEGER",
            "Type mismatch for field 'Genre', expecting: WideString actual: Integer" },
        { "ALTER TABLE Movies DROP COLUMN Genre; ALTER TABLE Movies ADD COLUMN Genre MEMO",
            "Type mismatch for field 'Genre', expecting: WideString actual: Memo" },
        { "ALTER TABLE Movies DROP COLUMN Cover; ALTER TABLE Movies ADD COLUMN Cover REAL",
            "Type mismatch for field 'Cover', expecting: Blob actual: Float" },
        { "ALTER TABLE Movies DROP COLUMN Cover; ALTER TABLE Movies ADD COLUMN Cover VARCHAR(255)",
            "Type mismatch for field 'Cover', expecting: Blob actual: WideString" },
        { "ALTER TABLE Movies DROP COLUMN Cover; ALTER TABLE Movies ADD COLUMN Cover VARBINARY(255)",
            "Type mismatch for field 'Cover', expecting: Blob actual: VarBytes" },
        { "ALTER TABLE Movies DROP COLUMN Cover; ALTER TABLE Movies ADD COLUMN Cover INTEGER",
            "Type mismatch for field 'Cover', expecting: Blob actual: Integer" },
    };
    for (const auto& c : cases) {
        std::filesystem::remove(m_dir / "Movies.mdb");
        createCatalogue(m_dir / "Movies.mdb");
        sql(c.alteration);
        expectOpenFails(c.message);
    }
}

TEST_F(EngineErrors, OtherCompatibleDeclarationsOpen)
{
    sql("DROP TABLE Movies; CREATE TABLE Movies (Year INT, Cover MEMO, Character4 TEXT, Character3 NVARCHAR(50), "
        "Character2 CHAR(50), Character1 VARCHAR(50), CastMemberName4 TEXT, CastMemberName3 TEXT, CastMemberName2 "
        "TEXT, CastMemberName1 TEXT, NoOfCds INTEGER, Format TEXT, Runtime INT, Tagline TEXT, Director TEXT, Genre "
        "TEXT, NameOfMovie TEXT, ID INTEGER PRIMARY KEY, Extra BLOB);"
        "INSERT INTO Movies (NameOfMovie, Year, Extra) VALUES ('Heat', 1995, x'00');");
    query.open();
    EXPECT_EQ(query.aqMoviesNameOfMovie.asString(), "Heat");
    EXPECT_EQ(query.aqMoviesYear.asInteger(), 1995);
}
