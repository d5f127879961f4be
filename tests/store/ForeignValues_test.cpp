#include "StoreFixture.h"

using namespace vantrelle::store;
using vantrelle::store::test::StoreTest;

namespace {

// A value as another program may store it (an SQL literal) and what the query reads: a value, or null with the
// stored value listed as unreadable (`unreadable` is what the message shows of it).
struct Stored {
    std::string literal;
    FieldValue value;
    std::string unreadable = {};
};

// A declared column type and whether SQLite gives it TEXT affinity (so numbers are stored as text).
struct Declared {
    const char* type;
    bool textAffinity;
};

Bytes bytes(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

const std::string kFortyChars = "Twelve Angry Men and then some more word"; // 40 characters

// Every declared type an integer column accepts: integer affinity, or NUMERIC for LONG.
const Declared kIntegerTypes[] = { { "INTEGER", false }, { "INT", false }, { "int4", false }, { "MEDIUMINT", false },
    { "LONG", false }, { "INTEGER(10)", false }, { "UNSIGNED INT", false } };

const std::vector<Stored> kIntegerValues = {
    { "120", 120 },
    { "'120'", 120 },
    { "' 1999'", 1999 },
    { "'$1F'", 31 }, // read as typed text is
    { "120.0", 120 },
    { "-2147483648", INT32_MIN },
    { "NULL", {} },
    { "''", {} }, // as empty text sets it
    { "'19x9'", {}, "'19x9'" },
    { "' '", {}, "' '" },
    { "132.5", {}, "'132.5'" },
    { "3000000000", {}, "'3000000000'" },
    { "x'01'", {}, "binary data" },
    { "'" + kFortyChars + "!'", {}, "'" + kFortyChars + "...'" },
};

// Every declared type a text column accepts; all have TEXT affinity but STRING (NUMERIC).
const Declared kTextTypes[] = { { "TEXT", true }, { "VARCHAR(50)", true }, { "NVARCHAR(50)", true },
    { "CHAR(50)", true }, { "CHARACTER VARYING(50)", true }, { "STRING", false } };

const std::vector<Stored> kTextValues = {
    { "'Drama'", std::string("Drama") },
    { "''", std::string() },
    { "NULL", {} },
    { "42", std::string("42") },
    { "1.5", std::string("1.5") },
    { "x'416d'", std::string("Am") },
    { "x'416de96c6965'", std::string("Am\xC3\xA9lie") }, // Latin-1 bytes: Windows-1252 as a whole
    { "CAST(x'416de96c6965' AS TEXT)", std::string("Am\xC3\xA9lie") },
};

// Every declared type Cover accepts: long binary, long text, and text without a size.
const Declared kCoverTypes[] = { { "BLOB", false }, { "", false }, { "LONGBINARY", false }, { "IMAGE", false },
    { "OLEOBJECT", false }, { "TEXT", true }, { "CLOB", true }, { "MEMO", false }, { "LONGTEXT", true },
    { "NTEXT", true }, { "VARCHAR", true }, { "NCHAR VARYING", true } };

std::vector<Stored> coverValues(bool textAffinity)
{
    return {
        { "x'424d0001'", bytes(std::string_view("BM\0\1", 4)) },
        { "'BM text'", bytes("BM text") },
        { "x''", Bytes {} },
        { "NULL", {} },
        // Numbers become text in a column of TEXT affinity, and those are bytes like any other.
        { "12", textAffinity ? FieldValue(bytes("12")) : FieldValue(), textAffinity ? "" : "the number 12" },
        { "1.5", textAffinity ? FieldValue(bytes("1.5")) : FieldValue(), textAffinity ? "" : "the number 1.5" },
    };
}

class ForeignValues : public StoreTest {
protected:
    // Declares `column` as `type`, stores each value in turn as the film with ID 7 and reads it.
    void expectRead(
        const char* column, const Declared& declared, const std::vector<Stored>& values, const std::string& expected)
    {
        SCOPED_TRACE(std::string(column) + " " + declared.type);
        sql(std::string("DELETE FROM Movies; ALTER TABLE Movies DROP COLUMN ") + column
            + "; ALTER TABLE Movies ADD COLUMN " + column + " " + declared.type + ";");
        for (const Stored& stored : values) {
            SCOPED_TRACE(stored.literal);
            sql(std::string("DELETE FROM Movies; INSERT INTO Movies (ID, NameOfMovie, ") + column
                + ") VALUES (7, 'Brazil', " + stored.literal + ");");
            query.open();
            EXPECT_EQ(query.fieldByName(column).value(), stored.value);
            std::vector<UnreadableValue> unreadable;
            if (!stored.unreadable.empty())
                unreadable.push_back({ column, 7, "Brazil", stored.unreadable, expected });
            EXPECT_EQ(query.UnreadableValues(), unreadable);
            query.close();
        }
    }
};

} // namespace

TEST_F(ForeignValues, IntegerColumnsReadEveryStorageClass)
{
    for (const Declared& declared : kIntegerTypes)
        expectRead("Runtime", declared, kIntegerValues, "a 32-bit integer");
}

TEST_F(ForeignValues, TextColumnsReadEveryStorageClass)
{
    for (const Declared& declared : kTextTypes)
        expectRead("Genre", declared, kTextValues, "");
}

TEST_F(ForeignValues, CoverTakesEveryLongTypeAndEveryStorageClass)
{
    for (const Declared& declared : kCoverTypes)
        expectRead("Cover", declared, coverValues(declared.textAffinity), "picture bytes");
}

TEST_F(ForeignValues, OneWarningNamesEveryUnreadableValueAndTheFilmsStayBrowsable)
{
    sql("INSERT INTO Movies (ID, NameOfMovie, Runtime, Year, Cover) VALUES "
        "(2, 'Alien', '', '19x9', 12), (5, 'Brazil', 132.5, 1985, NULL), (9, NULL, x'00', 3000000000, NULL),"
        "(11, 'Heat', 170, 1995, NULL);"
        "UPDATE Movies SET Tagline = 'The "
        + kFortyChars + "' WHERE ID = 2;");
    query.open();
    EXPECT_EQ(query.openWarning(),
        "Some values in the catalogue cannot be read. They are shown empty, and each stays as it is in the file "
        "until a new value is saved in its place:\n"
        "The column Runtime of the film with ID 9 holds binary data, which is not a 32-bit integer\n"
        "The column Year of the film with ID 9 holds '3000000000', which is not a 32-bit integer\n"
        "The column Cover of the film with ID 2, \"Alien\", holds the number 12, which is not picture bytes\n"
        "The column Year of the film with ID 2, \"Alien\", holds '19x9', which is not a 32-bit integer\n"
        "The column Runtime of the film with ID 5, \"Brazil\", holds '132.5', which is not a 32-bit integer");
    EXPECT_EQ(query.state(), qsBrowse);
    EXPECT_EQ(titles(), (std::vector<std::string> { "", "Alien", "Brazil", "Heat" }));
    query.next();
    EXPECT_TRUE(query.aqMoviesRuntime.isNull());
    EXPECT_TRUE(query.aqMoviesYear.isNull());
    EXPECT_TRUE(query.aqMoviesCover.isNull());
    EXPECT_EQ(query.aqMoviesTagline.asString(), "The " + kFortyChars);
}

TEST_F(ForeignValues, AMessageShowsALongTitleAndTextCutTo40Characters)
{
    const UnreadableValue value { "Year", 3, kFortyChars + "!", "'19x9'", "a 32-bit integer" };
    EXPECT_EQ(describe(value),
        "The column Year of the film with ID 3, \"" + kFortyChars
            + "...\", holds '19x9', which is not a 32-bit "
              "integer");
    EXPECT_EQ(unreadableValuesMessage({}), "");
}

TEST_F(ForeignValues, AValueThatWasNeverSetStaysInTheFileWhenItsFilmIsSaved)
{
    sql("INSERT INTO Movies (ID, NameOfMovie, Year, Runtime) VALUES (7, 'Brazil', '19x9', '');");
    query.open();
    query.edit();
    query.aqMoviesGenre.setAsString("Satire");
    query.post();
    EXPECT_EQ(sqlValue("SELECT typeof(Year) || ':' || Year || ',' || typeof(Runtime) || ':' || Runtime || ',' || "
                       "Genre FROM Movies"),
        "text:19x9,text:,Satire");

    // After the reopen the film is still shown without it, and still warned about.
    query.close();
    query.open();
    EXPECT_TRUE(query.aqMoviesYear.isNull());
    EXPECT_EQ(query.UnreadableValues().size(), 1u);

    query.edit();
    query.aqMoviesYear.setAsString("1985");
    query.post();
    EXPECT_EQ(sqlValue("SELECT typeof(Year) || ':' || Year FROM Movies"), "integer:1985");
    query.close();
    query.open();
    EXPECT_EQ(query.openWarning(), "");
}

TEST_F(ForeignValues, ConflictCheckComparesWhatIsStored)
{
    const struct {
        const char* name;
        const char* before; // the film's Runtime when the query reads it
        const char* after; // what another program stores meanwhile
        bool refused;
    } cases[] = {
        { "empty text, then null", "''", "NULL", false },
        { "null, then empty text", "NULL", "''", false },
        { "empty text unchanged", "''", "''", false },
        { "unreadable, changed to another unreadable", "'19x9'", "'20x0'", true },
        { "unreadable, changed to a number", "'19x9'", "120", true },
        { "unreadable unchanged", "'19x9'", "'19x9'", false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sql(std::string("DELETE FROM Movies; INSERT INTO Movies (ID, NameOfMovie, Runtime) VALUES (7, 'Brazil', ")
            + c.before + ");");
        query.open();
        sql(std::string("UPDATE Movies SET Runtime = ") + c.after + ";");
        for (const char* genre : { "Satire", "Drama" }) { // a later save of the same row too
            query.edit();
            query.aqMoviesGenre.setAsString(genre);
            if (c.refused) {
                EXPECT_THROW(query.post(), EUpdateConflict);
                EXPECT_EQ(query.state(), qsEdit);
                query.cancel();
            } else {
                query.post();
            }
        }
        query.close();
    }
}

// Our own saves and deletes keep the list of unreadable values up to date, without reading the file again.
TEST_F(ForeignValues, TheWarningFollowsOurOwnSavesAndDeletes)
{
    sql("INSERT INTO Movies (ID, NameOfMovie, Year, Runtime) VALUES (2, 'Alien', '19x9', 117), "
        "(5, 'Brazil', 1985, '2h'), (9, 'Heat', 1995, 'x');");
    const auto columns = [this] {
        std::vector<std::string> named;
        for (const UnreadableValue& value : query.UnreadableValues())
            named.push_back(value.title + " " + value.column);
        return named;
    };
    query.open();
    EXPECT_EQ(columns(), (std::vector<std::string> { "Alien Year", "Brazil Runtime", "Heat Runtime" }));
    query.edit();
    query.aqMoviesYear.setAsInteger(1979);
    query.post();
    EXPECT_EQ(columns(), (std::vector<std::string> { "Brazil Runtime", "Heat Runtime" }));
    query.next();
    query.deleteRow();
    EXPECT_EQ(columns(), (std::vector<std::string> { "Heat Runtime" }));
    query.close();
    query.open();
    EXPECT_EQ(columns(), (std::vector<std::string> { "Heat Runtime" }));
    MoviesQuery fresh;
    fresh.open();
    EXPECT_EQ(query.UnreadableValues(), fresh.UnreadableValues());
}

// A window looks a few films at a time; in between, the user saves and deletes films, looked at already or not.
TEST_F(ForeignValues, ALookInStepsFindsWhatOneLookFinds)
{
    sql("INSERT INTO Movies (ID, NameOfMovie, Year, Runtime) VALUES (1, 'A', '19x9', 90), (2, 'B', 1990, 90), "
        "(3, 'C', '19x9', 90), (4, 'D', 1990, 'x'), (5, 'E', 'x', 90);");
    query.open();
    EXPECT_FALSE(query.searchUnreadableValues(2));
    query.edit();
    query.aqMoviesYear.setAsInteger(1979);
    query.post();
    query.last();
    query.edit();
    query.aqMoviesYear.setAsInteger(1995);
    query.post();
    EXPECT_FALSE(query.searchUnreadableValues(2));
    query.setRecNo(3);
    query.deleteRow();
    EXPECT_TRUE(query.searchUnreadableValues(2));
    ASSERT_EQ(query.UnreadableValues().size(), 1u);
    EXPECT_EQ(query.UnreadableValues().front().title + " " + query.UnreadableValues().front().column, "D Runtime");
    MoviesQuery fresh;
    fresh.open();
    EXPECT_EQ(query.UnreadableValues(), fresh.UnreadableValues());
}
