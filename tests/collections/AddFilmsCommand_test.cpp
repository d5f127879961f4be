// `vantrelle-tool add-films`, run as the user runs it, on a real temporary catalogue and the stand-in's invented
// films' title index.
#include "CollectionFixture.h"
#include "TestFiles.h"
#include "ToolRun.h"

#include <cstdlib>

using namespace vantrelle;
using namespace vantrelle::collections::test;

namespace fs = std::filesystem;

namespace {

// Sets an environment variable for the object's life.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value)
        : m_name(name)
    {
        setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable() { unsetenv(m_name); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* m_name;
};

std::string counts(int matched, int fromFile, int ambiguous, int notFound, int duplicates)
{
    return "Matched: " + std::to_string(matched) + "\nAdded from the file: " + std::to_string(fromFile)
        + "\nAmbiguous: " + std::to_string(ambiguous) + "\nNot found: " + std::to_string(notFound)
        + "\nDuplicates: " + std::to_string(duplicates) + "\n";
}

class AddFilmsCommandTest : public CollectionFixture {
protected:
    vantrelle::test::ToolRun addFilms(const std::string& file, const std::string& more = {}) const
    {
        return vantrelle::test::runTool(
            "add-films '" + (kFixtures / file).string() + "' '" + m_catalogue.string() + "'" + more);
    }

    ScopedVariable m_index { "VANTRELLE_TITLE_INDEX", VANTRELLE_DEMO_TITLES };
};

TEST_F(AddFilmsCommandTest, CountsEachStatusAndReportsEachFilm)
{
    const fs::path report = m_folder / "report.csv";
    const auto run = addFilms("shelf.txt", " --report '" + report.string() + "'");
    ASSERT_EQ(run.exitCode, 0) << run.all();
    EXPECT_EQ(run.output,
        "12 films in " + (kFixtures / "shelf.txt").string() + " (plain list)\n" + counts(9, 0, 0, 2, 1)
            + "Added 9 films to " + m_catalogue.string() + "\n");
    EXPECT_EQ(vantrelle::test::readFile(report),
        "line,title,year,status,number\r\n"
        "2,Harbour Lights,1987,matched,tt0100001\r\n"
        "3,Copper Sky,2003,matched,tt0100004\r\n"
        "4,Twelve Bells,1962,matched,tt0100010\r\n"
        "5,\"\",,duplicate,\r\n"
        "6,\"\",,matched,tt0100005\r\n"
        "7,\"\",,matched,tt0100006\r\n"
        "9,Paper Kingdoms,,matched,tt0100009\r\n"
        "10,\"Night \"\"Ferry\"\"\",,matched,tt0100003\r\n"
        "12,1917,,not-found,\r\n"
        "13,'71,,not-found,\r\n"
        "14,\u00c9t\u00e9 \u00e0 Montreuil,,matched,tt0100014\r\n"
        "15,Orbit of Small Things,,matched,tt0100012\r\n");
    EXPECT_EQ(rows().size(), 9u);
}

TEST_F(AddFilmsCommandTest, TheSameFileTwiceAddsNothingTheSecondTime)
{
    const vantrelle::test::ToolStep steps[] = {
        { "add-films '" + (kFixtures / "films.gcs").string() + "' '" + m_catalogue.string() + "'", 0,
            "2 films in " + (kFixtures / "films.gcs").string() + " (GCstar collection)\n" + counts(1, 1, 0, 0, 0) },
        { "add-films '" + (kFixtures / "films.gcs").string() + "' '" + m_catalogue.string() + "'", 0,
            "2 films in " + (kFixtures / "films.gcs").string() + " (GCstar collection)\n" + counts(0, 0, 0, 0, 2) },
    };
    vantrelle::test::expectToolSteps(steps);
    EXPECT_EQ(rows().size(), 2u);
}

TEST_F(AddFilmsCommandTest, AFileItCannotReadChangesNothing)
{
    ASSERT_EQ(addFilms("films.gcs").exitCode, 0);
    const std::string before = vantrelle::test::readFile(m_catalogue);
    const struct {
        const char* file;
        std::string message;
    } cases[] = {
        { "tellico-books.tc", "a Tellico collection of books, not of films" },
        { "books.gcs", "a GCstar collection of books (GCbooks), not of films" },
        { "damaged.xml", "not well-formed XML: Premature end of data in tag title line 7" },
        { "damaged.tc", "a damaged zip file (Not a zip archive)" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const auto run = addFilms(c.file);
        EXPECT_NE(run.exitCode, 0);
        EXPECT_NE(run.errors.find((kFixtures / c.file).string() + ": " + c.message), std::string::npos) << run.errors;
        EXPECT_EQ(vantrelle::test::readFile(m_catalogue), before);
    }
}

TEST_F(AddFilmsCommandTest, ADryRunOrAMissingIndexAddsWhatItSays)
{
    const auto dry = addFilms("imdb-2011.csv", " --dry-run");
    EXPECT_EQ(dry.exitCode, 0) << dry.all();
    EXPECT_NE(dry.output.find(counts(2, 0, 0, 0, 0) + "Nothing was added (--dry-run)\n"), std::string::npos)
        << dry.output;
    EXPECT_TRUE(rows().empty());

    const ScopedVariable noIndex("VANTRELLE_TITLE_INDEX", (m_folder / "missing.db").string());
    const auto run = addFilms("videodb.xml");
    EXPECT_EQ(run.exitCode, 0) << run.all();
    EXPECT_NE(run.output.find(counts(0, 2, 0, 0, 0)), std::string::npos) << run.output;
    EXPECT_NE(run.errors.find("there is no title index"), std::string::npos) << run.errors;
    EXPECT_EQ(rows().size(), 2u);
}

TEST_F(AddFilmsCommandTest, TheUsersCatalogueByDefault)
{
    const ScopedVariable data("XDG_DATA_HOME", m_folder.path().string());
    const fs::path user = m_folder / "vantrelle" / "Movies.mdb";
    const std::string addList = "add-films '" + (kFixtures / "letterboxd-list.csv").string() + "'";
    const auto dry = vantrelle::test::runTool(addList + " --dry-run");
    EXPECT_EQ(dry.exitCode, 0) << dry.all();
    EXPECT_FALSE(fs::exists(user)); // a dry run makes no catalogue
    const auto run = vantrelle::test::runTool(addList);
    EXPECT_EQ(run.exitCode, 0) << run.all();
    EXPECT_NE(run.output.find("Added 2 films to " + user.string()), std::string::npos) << run.output;
}

} // namespace
