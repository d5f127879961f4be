// Plans and batches on a real temporary catalogue, matched against the stand-in's invented films.
#include "CollectionFixture.h"
#include "TestFiles.h"

#include <atomic>

using namespace vantrelle;
using namespace vantrelle::collections;
using namespace vantrelle::collections::test;

namespace {

constexpr std::size_t kCover = 16;
constexpr std::size_t kTagline = 4;

std::vector<std::uint8_t> bytesOf(const std::filesystem::path& file)
{
    const std::string bytes = vantrelle::test::readFile(file);
    return { bytes.begin(), bytes.end() };
}

using FilmImportTest = CollectionFixture;

TEST_F(FilmImportTest, PlanGivesEachFilmItsStatus)
{
    const struct {
        const char* file;
        bool withIndex;
        std::string statuses;
    } cases[] = {
        { "shelf.txt", true,
            "matched 100001/matched 100004/matched 100010/duplicate 100004/matched 100005/matched 100006/"
            "matched 100009/matched 100003/not-found/not-found/matched 100014/matched 100012" },
        { "imdb-2017.csv", true, "matched 100002/not-found" },
        { "letterboxd-diary.csv", true, "matched 100004/matched 100005/not-found" },
        // Files with their own details bring the films the index lacks in from the file, and all without an index.
        { "films.gcs", true, "matched 100008/from-file" },
        { "videodb.xml", true, "matched 100008/from-file" },
        { "tellico-films.tc", false, "from-file/from-file" },
        { "shelf.txt", false,
            "not-found/not-found/not-found/not-found/not-found/not-found/not-found/not-found/not-found/not-found/"
            "not-found/not-found" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const ImportPlan plan
            = planImport(readCollection(kFixtures / c.file), c.withIndex ? &m_index : nullptr, m_connection);
        EXPECT_EQ(plan.indexUsed, c.withIndex);
        EXPECT_EQ(statuses(plan), c.statuses);
    }
}

TEST_F(FilmImportTest, TheSameFileTwiceAddsNothingTheSecondTime)
{
    for (const char* file : { "shelf.txt", "films.gcs", "Collection.xml" }) {
        SCOPED_TRACE(file);
        ImportPlan first = planImport(readCollection(kFixtures / file), &m_index, m_connection);
        const std::size_t before = rows().size();
        const AddResult added = addFilms(first, &m_index, m_connection);
        EXPECT_GT(added.added, 0u);
        EXPECT_EQ(rows().size(), before + added.added);

        ImportPlan second = planImport(readCollection(kFixtures / file), &m_index, m_connection);
        for (const PlannedFilm& planned : second.films)
            EXPECT_TRUE(planned.match.status == MatchStatus::duplicate || planned.match.status == MatchStatus::notFound
                || planned.match.status == MatchStatus::ambiguous)
                << planned.film.title;
        EXPECT_EQ(addFilms(second, &m_index, m_connection).added, 0u);
        EXPECT_EQ(rows().size(), before + added.added);
    }
}

TEST_F(FilmImportTest, MatchedFilmsTakeTheIndexsValuesAndTheFileFillsTheRest)
{
    ImportPlan plan = planImport(readCollection(kFixtures / "films.gcs"), &m_index, m_connection);
    addFilms(plan, &m_index, m_connection);
    const auto stored = rows();
    ASSERT_EQ(stored.size(), 2u);
    // Brass Meridian comes from the file, Signal Lost from the index with the file's medium and discs.
    const std::vector<std::string> expected[] = {
        { "Brass Meridian", "(null)", "Ola Venn", "(null)", "105", "VHS", "(null)", "Eli Dunn", "Sara Venn", "(null)",
            "(null)", "Captain", "Navigator", "(null)", "(null)", "(null)", "1968" },
        { "Signal Lost", "Sci-Fi / Thriller", "Kwame Asante-Reyes", "", "99", "Blu-ray", "2" },
    };
    for (std::size_t k = 0; k < stored.size(); ++k)
        for (std::size_t column = 0; column < expected[k].size(); ++column)
            EXPECT_EQ(text(stored[k][column + 1]), expected[k][column]) << "film " << k << " column " << column + 1;
    EXPECT_NE(text(stored[1][kCover]), "(null)"); // the file's own picture beside it, reduced
}

TEST_F(FilmImportTest, CoversComeFromThePosterSourceElseTheFileAndAFailureLeavesThePlaceholder)
{
    const auto poster = bytesOf(std::filesystem::path(VANTRELLE_DEMO_POSTERS) / "0100001.jpg");
    const struct {
        const char* file;
        Extras extras;
        std::vector<std::string> taglines; // by title
        bool covered;
        std::size_t failed;
        int asked;
    } cases[] = {
        { "imdb-2011.csv", { "A light <in> the dark", poster },
            { "A light \u2039in> the dark", "A light \u2039in> the dark" }, true, 0, 2 },
        { "imdb-2011.csv", { "", { 'n', 'o', 't' } }, { "", "" }, false, 2, 2 },
        // Lanterns Over Vael is matched, Salt & Cinders comes from the file: both take the file's own picture.
        { "tellico-films.tc", { "", { 'n', 'o', 't' } }, { "", "(null)" }, true, 0, 1 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file + (" " + c.taglines[0]));
        const ScratchDir folder("covers");
        const std::string connection = store::connectionStringFor(folder / "Movies.mdb");
        store::createCatalogue(folder / "Movies.mdb");
        ImportPlan plan = planImport(readCollection(kFixtures / c.file), &m_index, connection);
        std::atomic<int> asked = 0;
        AddOptions options;
        options.extras = [&](std::int64_t) {
            ++asked;
            return c.extras;
        };
        const AddResult result = addFilms(plan, &m_index, connection, options);
        EXPECT_EQ(result.added, 2u);
        EXPECT_EQ(result.coversFailed, c.failed);
        std::vector<std::string> taglines;
        store::readMovies(connection, [&](store::StoredRow&& row) {
            taglines.push_back(text(row.values[kTagline]));
            EXPECT_EQ(text(row.values[kCover]) != "(null)", c.covered);
        });
        EXPECT_EQ(taglines, c.taglines);
        EXPECT_EQ(asked, c.asked);
    }
}

TEST_F(FilmImportTest, ResolvedAmbiguousFilmsAreAddedAndLeftOutOnesAreNot)
{
    Collection collection { CollectionKind::list, readCollection(kFixtures / "shelf.txt").films };
    collection.films.resize(2);
    collection.films[0].title = "Harbour";
    collection.films[0].year.reset();
    ImportPlan plan = planImport(collection, &m_index, m_connection);
    ASSERT_EQ(plan.films[0].match.status, MatchStatus::ambiguous);
    ASSERT_EQ(plan.films[0].match.candidates.size(), 2u); // Harbour Lights and its sequel
    plan.films[0].match.number = plan.films[0].match.candidates[1].number;
    plan.films[0].match.status = MatchStatus::matched;
    plan.films[1].include = false;
    std::vector<std::string> progress;
    AddOptions options;
    options.progress = [&](ImportStage stage, std::size_t done, std::size_t total) {
        progress.push_back(
            (stage == ImportStage::films ? "films " : "covers ") + std::to_string(done) + "/" + std::to_string(total));
    };
    EXPECT_EQ(addFilms(plan, &m_index, m_connection, options).added, 1u);
    ASSERT_EQ(rows().size(), 1u);
    EXPECT_EQ(text(rows()[0][1]), plan.films[0].match.candidates[1].title);
    EXPECT_EQ(progress, (std::vector<std::string> { "films 1/1", "covers 1/1" }));
}

TEST_F(FilmImportTest, ACancelledBatchAddsNothing)
{
    ImportPlan plan = planImport(readCollection(kFixtures / "shelf.txt"), &m_index, m_connection);
    std::atomic<bool> cancel = false;
    AddOptions options;
    options.cancel = &cancel;
    options.progress = [&](ImportStage stage, std::size_t, std::size_t) { cancel = stage == ImportStage::covers; };
    const AddResult result = addFilms(plan, &m_index, m_connection, options);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.added, 0u);
    EXPECT_TRUE(rows().empty());
}

} // namespace
