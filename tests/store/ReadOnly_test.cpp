// A catalogue that can only be read says so when it opens, and adding, editing and deleting refuse at once,
// before the user types a whole film that could never be saved.

#include "StoreFixture.h"

#include <filesystem>

namespace vantrelle::store::test {

namespace {

namespace fs = std::filesystem;

// What the query tells of a catalogue and what each change does to it, in one line.
std::string tryChanges(MoviesQuery& q)
{
    std::string outcome = q.readOnly() ? "read-only" : "writable";
    for (const auto& [name, change] : { std::pair<const char*, void (MoviesQuery::*)()> { "insert", &MoviesQuery::insert },
             { "edit", &MoviesQuery::edit }, { "delete", &MoviesQuery::deleteRow } }) {
        try {
            (q.*change)();
            outcome += std::string("; ") + name + " done";
            q.cancel();
        } catch (const EDatabaseError& e) {
            outcome += std::string("; ") + name + ": " + e.what();
        }
        if (q.state() != qsBrowse)
            outcome += " (left in state " + std::to_string(q.state()) + ")";
    }
    return outcome;
}

} // namespace

class ReadOnlyTest : public StoreTest {
protected:
    std::string refusals() const
    {
        const std::string message = "The catalogue \"" + (m_dir / "Movies.mdb").string()
            + "\" is read-only: films cannot be added, edited or deleted";
        return "read-only; insert: " + message + "; edit: " + message + "; delete: " + message;
    }
};

TEST_F(ReadOnlyTest, AskedByTheConnectionString)
{
    addFilms({ { "Alien", 1979 } });
    query.ConnectionString = connectionStringFor(m_dir / "Movies.mdb") + "; ReadOnly=1";
    query.open();
    EXPECT_EQ(tryChanges(query), refusals());
    EXPECT_EQ(sqlValue("SELECT count(*) FROM Movies"), "1");
}

TEST_F(ReadOnlyTest, AFileOrFolderTheUserMayNotWrite)
{
    addFilms({ { "Alien", 1979 } });
    const auto readable = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    const auto enterable = fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
    struct {
        const char* name;
        fs::perms file;
        fs::perms folder;
        std::string outcome;
        std::string rowsAfter;
    } const cases[] = {
        { "the file", readable, fs::perms::all, refusals(), "1" },
        { "the folder, where the journal goes", readable | fs::perms::owner_write | fs::perms::group_write
              | fs::perms::others_write, readable | enterable, refusals(), "1" },
        { "neither", fs::perms::all, fs::perms::all, "writable; insert done; edit done; delete done", "0" },
    };
    for (const auto& c : cases) {
        fs::permissions(m_dir / "Movies.mdb", c.file);
        fs::permissions(m_dir.path(), c.folder);
        const std::string outcome = vantrelle::test::runUnprivileged([&] {
            MoviesQuery q;
            q.ConnectionString = connectionStringFor(m_dir / "Movies.mdb");
            try {
                q.open();
            } catch (const std::exception& e) {
                return std::string("open: ") + e.what();
            }
            return tryChanges(q);
        });
        fs::permissions(m_dir.path(), fs::perms::owner_all);
        fs::permissions(m_dir / "Movies.mdb", fs::perms::owner_read | fs::perms::owner_write);
        EXPECT_EQ(outcome, c.outcome) << c.name;
        EXPECT_EQ(sqlValue("SELECT count(*) FROM Movies"), c.rowsAfter) << c.name;
    }
}

} // namespace vantrelle::store::test
