#pragma once

#include "OtherProgramSql.h"
#include "TestFiles.h"

#include "vantrelle/store/Errors.h"
#include "vantrelle/store/MoviesQuery.h"
#include "vantrelle/store/Schema.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

namespace vantrelle::store::test {

// A fresh catalogue "Movies.mdb" in a temporary working directory, and a query over it that records its events.
class StoreTest : public ::testing::Test {
protected:
    StoreTest()
        : m_workingDir(m_dir.path())
    {
        createCatalogue(m_dir / "Movies.mdb");
        recordEvents(query, source, events);
    }

    // Hooks every event of `q` and its data source `ds` so that they append their names to `log`.
    static void recordEvents(MoviesQuery& q, DataSource& ds, std::vector<std::string>& log)
    {
        ds.setDataSet(&q);
        ds.OnStateChange = [&log](DataSource& s) { log.push_back("StateChange:" + std::to_string(s.state())); };
        q.AfterInsert = [&log](MoviesQuery&) { log.push_back("AfterInsert"); };
        q.AfterEdit = [&log](MoviesQuery&) { log.push_back("AfterEdit"); };
        q.AfterPost = [&log](MoviesQuery&) { log.push_back("AfterPost"); };
        q.AfterCancel = [&log](MoviesQuery&) { log.push_back("AfterCancel"); };
        q.AfterDelete = [&log](MoviesQuery&) { log.push_back("AfterDelete"); };
        q.AfterScroll = [&log](MoviesQuery&) { log.push_back("AfterScroll"); };
    }

    // Adds films by title (and year) through a second query, as another session of the program would.
    void addFilms(const std::vector<std::pair<std::string, int>>& films)
    {
        MoviesQuery writer;
        writer.open();
        for (const auto& [title, year] : films) {
            writer.insert();
            writer.aqMoviesNameOfMovie.setAsString(title);
            writer.aqMoviesYear.setAsInteger(year);
            writer.post();
        }
    }

    // Runs SQL on the catalogue through a connection of its own, as another program would.
    void sql(const std::string& statements) { ASSERT_EQ(vantrelle::test::runSql(m_dir / "Movies.mdb", statements), ""); }

    // The first column of the first row of `select`, run through a connection of its own, as text; "NULL" for
    // null, "" when there is no row.
    std::string sqlValue(const std::string& select)
    {
        sqlite3* db = nullptr;
        sqlite3_stmt* statement = nullptr;
        std::string value;
        EXPECT_EQ(sqlite3_open((m_dir / "Movies.mdb").c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_prepare_v2(db, select.c_str(), -1, &statement, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        if (sqlite3_step(statement) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
            value = text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, 0))) : "NULL";
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return value;
    }

    // Opens the query and forgets the events of the open.
    void openQuiet()
    {
        query.open();
        events.clear();
    }

    std::vector<std::string> titles()
    {
        std::vector<std::string> result;
        for (int i = 1; i <= query.recordCount(); ++i)
            result.push_back(query.displayTextAt(i, query.aqMoviesNameOfMovie));
        return result;
    }

    vantrelle::ScratchDir m_dir;
    vantrelle::test::ScopedWorkingDir m_workingDir;
    MoviesQuery query;
    DataSource source;
    std::vector<std::string> events;
};

} // namespace vantrelle::store::test
