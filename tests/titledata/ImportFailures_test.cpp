// A dataset that cannot be read fails with a message naming the file and the line, and leaves the
// index already in place as it was.

#include "IndexFixture.h"
#include "vantrelle/titledata/Import.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <functional>

using namespace vantrelle;
using namespace vantrelle::titledata;
namespace fs = std::filesystem;

namespace {

// The message of the import's failure, or "" when it succeeds.
std::string importFailure(const fs::path& dataset, const fs::path& index, const ImportOptions& options = {})
{
    try {
        importTitles(dataset, index, options);
    } catch (const EImportError& e) {
        return e.what();
    }
    return "";
}

// True when `message` is `expected`, where a "#" in `expected` stands for a line number.
bool matches(const std::string& message, const std::string& expected)
{
    const std::size_t hash = expected.find('#');
    if (hash == std::string::npos)
        return message == expected;
    const std::string before = expected.substr(0, hash);
    const std::string after = expected.substr(hash + 1);
    if (!message.starts_with(before) || !message.ends_with(after) || message.size() <= before.size() + after.size())
        return false;
    const std::string number = message.substr(before.size(), message.size() - before.size() - after.size());
    return number.find_first_not_of("0123456789") == std::string::npos;
}

std::vector<fs::path> filesIn(const fs::path& dir)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir))
        files.push_back(entry.path().filename());
    std::sort(files.begin(), files.end());
    return files;
}

void replaceLine(const fs::path& file, int lineNumber, const std::string& line)
{
    std::string bytes = test::readFile(file);
    std::size_t start = 0;
    for (int n = 1; n < lineNumber; ++n)
        start = bytes.find('\n', start) + 1;
    bytes.replace(start, bytes.find('\n', start) - start, line);
    test::writeFile(file, bytes);
}

void append(const fs::path& file, const std::string& line)
{
    test::writeFile(file, test::readFile(file) + line + "\n");
}

struct Failure {
    const char* what;
    bool gzipped;
    std::function<void(const fs::path& dataset)> spoil;
    std::string message; // "{D}" stands for the dataset folder, "#" for a line number
};

class ImportFailures : public testing::TestWithParam<Failure> { };

} // namespace

TEST_P(ImportFailures, NameTheFileAndTheLineAndLeaveTheIndexInPlace)
{
    const Failure& failure = GetParam();
    vantrelle::ScratchDir dir;
    const fs::path dataset = dir / "dataset";
    const fs::path serving = dir / "serving";
    test::copyDataset(dataset, failure.gzipped);
    fs::create_directory(serving);
    const fs::path index = serving / "titles.db";
    importTitles(test::kDatasetFixture, index);
    const std::string before = test::readFile(index);

    failure.spoil(dataset);
    std::string expected = failure.message;
    for (std::size_t at; (at = expected.find("{D}")) != std::string::npos;)
        expected.replace(at, 3, dataset.string());
    const std::string message = importFailure(dataset, index);
    EXPECT_TRUE(matches(message, expected)) << message << "\nexpected: " << expected;

    EXPECT_EQ(test::readFile(index), before);
    EXPECT_EQ(filesIn(serving), std::vector<fs::path> { "titles.db" }); // no partial file left behind
}

// The partial file of an import that was killed is removed by the next import of the same index; that
// of an import still running (which holds a lock on it) is not, nor that of another index.
TEST(ImportPartialFiles, AnOrphanGoesAndOneInUseStays)
{
    vantrelle::ScratchDir dir;
    test::writeFile(dir / "titles.db.partial-orphan", "left by a killed import");
    test::writeFile(dir / "titles.db.partial-running", "being written");
    test::writeFile(dir / "other.db.partial-orphan", "another index's");
    const int running = ::open((dir / "titles.db.partial-running").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(running, LOCK_EX), 0);

    importTitles(test::kDatasetFixture, dir / "titles.db");
    ::close(running);
    EXPECT_EQ(filesIn(dir.path()),
        (std::vector<fs::path> { "other.db.partial-orphan", "titles.db", "titles.db.partial-running" }));
}

INSTANTIATE_TEST_SUITE_P(Dataset, ImportFailures,
    testing::Values(
        Failure { "a missing file", false, [](const fs::path& d) { fs::remove(d / "title.crew.tsv"); },
            "Found neither title.crew.tsv.gz nor title.crew.tsv in '{D}'; the import needs all five dataset "
            "files (title.basics, title.ratings, title.crew, title.principals, name.basics), each as .tsv.gz "
            "or .tsv" },
        Failure { "an empty file", false, [](const fs::path& d) { test::writeFile(d / "title.basics.tsv", ""); },
            "{D}/title.basics.tsv, line 1: the file is empty; expected the header of title.basics" },
        Failure { "a wrong header", true,
            [](const fs::path& d) {
                test::writeFile(d / "title.ratings.tsv.gz", test::gzip("tconst\tnumVotes\taverageRating\n"));
            },
            "{D}/title.ratings.tsv.gz, line 1: not the header of title.ratings (expected the columns tconst, "
            "averageRating, numVotes)" },
        Failure { "the header of another file", false,
            [](const fs::path& d) {
                fs::copy_file(d / "title.crew.tsv", d / "title.ratings.tsv", fs::copy_options::overwrite_existing);
            },
            "{D}/title.ratings.tsv, line 1: not the header of title.ratings (expected the columns tconst, "
            "averageRating, numVotes)" },
        Failure { "a missing field", false,
            [](const fs::path& d) { replaceLine(d / "title.crew.tsv", 4, "tt0000003\t\\N"); },
            "{D}/title.crew.tsv: 1 of 9 rows cannot be read (more than 1%), so the file is damaged or is not "
            "title.crew: line 4, 2 fields where 3 are expected" },
        Failure { "a bad title number", false,
            [](const fs::path& d) { replaceLine(d / "title.ratings.tsv", 3, "tt12\t6.9\t120000"); },
            "{D}/title.ratings.tsv: 1 of 8 rows cannot be read (more than 1%), so the file is damaged or is not "
            "title.ratings: line 3, bad title number 'tt12' (tt and 7 or more digits, at most 999999999)" },
        Failure { "a bad year", false,
            [](const fs::path& d) {
                replaceLine(d / "title.basics.tsv", 2, "tt0000001\tmovie\tA\tA\t0\tMCMLXII\t\\N\t94\tDrama");
            },
            "{D}/title.basics.tsv: 1 of 9 rows cannot be read (more than 1%), so the file is damaged or is not "
            "title.basics: line 2, bad startYear 'MCMLXII'" },
        Failure { "bad characters", false,
            [](const fs::path& d) {
                replaceLine(
                    d / "title.principals.tsv", 6, "tt0000002\t5\tnm0000013\tactor\t\\N\t[\"Detective Ray Oakes]");
            },
            "{D}/title.principals.tsv: 1 of 19 rows cannot be read (more than 1%), so the file is damaged or is "
            "not title.principals: line 6, bad characters '[\"Detective Ray Oakes]': unexpected end at offset 22" },
        Failure { "a bad person number", false,
            [](const fs::path& d) { append(d / "name.basics.tsv", "nm1\tShort Number\t\\N\t\\N\t\\N\t\\N"); },
            "{D}/name.basics.tsv: 1 of 26 rows cannot be read (more than 1%), so the file is damaged or is not "
            "name.basics: line 27, bad person number 'nm1' (nm and 7 or more digits, at most 999999999)" },
        Failure { "a title twice", false,
            [](const fs::path& d) {
                append(d / "title.basics.tsv", "tt0000002\tmovie\tAgain\tAgain\t0\t1990\t\\N\t90\tDrama");
            },
            "{D}/title.basics.tsv: 1 of 10 rows cannot be read (more than 1%), so the file is damaged or is not "
            "title.basics: line 11, title tt0000002 appears twice" },
        Failure { "a truncated gzip file", true,
            [](const fs::path& d) {
                const std::string bytes = test::readFile(d / "title.principals.tsv.gz");
                test::writeFile(d / "title.principals.tsv.gz", bytes.substr(0, bytes.size() * 2 / 3));
            },
            "{D}/title.principals.tsv.gz, line #: the file is truncated or corrupt (unexpected end of file)" },
        Failure { "a gzip file without its end", true,
            [](const fs::path& d) {
                const std::string bytes = test::readFile(d / "name.basics.tsv.gz");
                test::writeFile(d / "name.basics.tsv.gz", bytes.substr(0, bytes.size() - 4));
            },
            "{D}/name.basics.tsv.gz, line 27: the file is truncated or corrupt (unexpected end of file)" },
        Failure { "a corrupt gzip file", true,
            [](const fs::path& d) {
                std::string bytes = test::readFile(d / "title.basics.tsv.gz");
                bytes[bytes.size() - 6] ^= 0x55; // the CRC-32 of the data
                test::writeFile(d / "title.basics.tsv.gz", bytes);
            },
            "{D}/title.basics.tsv.gz, line #: the file is truncated or corrupt (incorrect data check)" },
        Failure { "a plain file named .gz", true,
            [](const fs::path& d) {
                fs::copy_file(test::kDatasetFixture / "name.basics.tsv", d / "name.basics.tsv.gz",
                    fs::copy_options::overwrite_existing);
            },
            "{D}/name.basics.tsv.gz, line 1: not a gzip file" }),
    [](const testing::TestParamInfo<Failure>& info) {
        std::string name = info.param.what;
        std::replace_if(
            name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
        return name;
    });

TEST(ImportFailure, AFileThatIsNotATitleIndexIsNeverReplaced)
{
    vantrelle::ScratchDir dir;
    struct Case {
        const char* what;
        std::string bytes;
    } const cases[] = {
        { "a text file", "my notes\n" },
        { "a SQLite file without the index's meta table", "" },
    };
    for (const auto& c : cases) {
        const fs::path target = dir / "target.db";
        if (c.bytes.empty()) {
            sqlite::Database db(target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
            db.exec("CREATE TABLE Movies (ID INTEGER PRIMARY KEY)");
        } else {
            test::writeFile(target, c.bytes);
        }
        const std::string before = test::readFile(target);
        EXPECT_EQ(importFailure(test::kDatasetFixture, target),
            "'" + target.string() + "' exists and is not a title index; it is left as it is")
            << c.what;
        EXPECT_EQ(test::readFile(target), before) << c.what;
        EXPECT_EQ(filesIn(dir.path()), std::vector<fs::path> { "target.db" }) << c.what;
        fs::remove(target);
    }

    // An empty file holds nothing to lose.
    test::writeFile(dir / "empty.db", "");
    EXPECT_EQ(importFailure(test::kDatasetFixture, dir / "empty.db"), "");
}

TEST(ImportFailure, AFolderThatIsNotThereOrAFailureLateInTheImport)
{
    vantrelle::ScratchDir dir;
    EXPECT_EQ(importFailure(dir / "nowhere", dir / "titles.db"),
        "'" + (dir / "nowhere").string()
            + "' is not a folder; the import needs all five dataset files "
              "(title.basics, title.ratings, title.crew, title.principals, name.basics), each as .tsv.gz or .tsv");
    EXPECT_FALSE(fs::exists(dir / "titles.db"));

    // A failure while ranking (here the caller's own, as when the user interrupts) removes the partial file.
    importTitles(test::kDatasetFixture, dir / "titles.db");
    const std::string before = test::readFile(dir / "titles.db");
    ImportOptions options;
    options.progress = [](const ImportProgress& progress) {
        if (progress.step == "Indexing title words")
            throw EImportError("interrupted");
    };
    EXPECT_EQ(importFailure(test::kDatasetFixture, dir / "titles.db", options), "interrupted");
    EXPECT_EQ(test::readFile(dir / "titles.db"), before);
    EXPECT_EQ(filesIn(dir.path()), std::vector<fs::path> { "titles.db" });
}

// Junk after a few good rows stops the import once a few thousand rows are read, not at the file's end.
TEST(ImportFailure, JunkStopsAsItIsRead)
{
    vantrelle::ScratchDir dir;
    test::copyDataset(dir / "dataset", false);
    std::string junk;
    for (int i = 0; i < 1'000'000; ++i)
        junk += "x\n";
    append(dir / "dataset" / "title.ratings.tsv", junk);
    const std::string message = importFailure(dir / "dataset", dir / "titles.db");
    EXPECT_TRUE(message.starts_with((dir / "dataset" / "title.ratings.tsv").string()
        + ": 4992 of 5000 rows cannot be read (more than 1%), so the file is damaged or is not title.ratings: line "
          "10, "))
        << message;
}

// A title's cast rows beyond the first thousand are malformed rows, not rows for the temporary tables.
TEST(ImportFailure, ATitleWithTooManyCastRowsHasTheRestSkipped)
{
    vantrelle::ScratchDir dir;
    test::copyDataset(dir / "dataset", false);
    std::string repeated;
    for (int i = 0; i < 1001; ++i)
        repeated += "tt0000001\t99\tnm0000008\tactress\t\\N\t\\N\n";
    repeated.pop_back(); // append() ends the last line
    append(dir / "dataset" / "title.principals.tsv", repeated);
    const ImportSummary summary = importTitles(dir / "dataset", dir / "titles.db");
    ASSERT_EQ(summary.skipped.size(), 1u);
    EXPECT_EQ(summary.skipped[0].file, "title.principals.tsv");
    EXPECT_EQ(summary.skipped[0].count, 3u) << "two of its rows were in the file already";
    EXPECT_EQ(summary.skipped[0].first.at(0).what, "title tt0000001 has more than 1000 cast rows");
}

// A downloaded file found corrupt loses its validators, so that the next download brings it whole; the
// files read before it keep theirs.
TEST(ImportFailure, ACorruptFileLosesItsValidators)
{
    vantrelle::ScratchDir dir;
    const fs::path dataset = dir / "dataset";
    test::copyDataset(dataset, true);
    for (const std::string& name : test::kDatasetNames)
        test::writeFile(dataset / (name + ".tsv.gz.validators"), "\"v1-1\"\nSun, 01 Mar 2026 06:00:00 GMT\n");
    const std::string bytes = test::readFile(dataset / "title.crew.tsv.gz");
    test::writeFile(dataset / "title.crew.tsv.gz", bytes.substr(0, bytes.size() / 2));

    EXPECT_NE(importFailure(dataset, dir / "titles.db"), "");
    for (const std::string& name : test::kDatasetNames)
        EXPECT_EQ(fs::exists(dataset / (name + ".tsv.gz.validators")), name != "title.crew") << name;
}
