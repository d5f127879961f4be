#include "vantrelle/store/ConnectionString.h"
#include "vantrelle/store/Errors.h"

#include <gtest/gtest.h>

using namespace vantrelle::store;

TEST(ConnectionString, NamesTheDatabaseFile)
{
    const struct {
        std::string text;
        std::string file;
    } cases[] = {
        { std::string(kConnectionString), "/films/Movies.mdb" },
        { "DBQ=Movies.mdb", "/films/Movies.mdb" },
        { "dbq = .\\sub\\Other.mdb ;", "/films/sub/Other.mdb" },
        { "DefaultDir=.\\data; DBQ=.\\Movies.mdb", "/films/data/Movies.mdb" },
        { "DBQ=/srv/catalogue.db", "/srv/catalogue.db" },
        { "DBQ={/srv/a;b}}c.db}; UID=admin", "/srv/a;b}c.db" },
        { "DBQ=first.mdb; DBQ=second.mdb", "/films/second.mdb" },
        { "junk; DBQ=x.mdb", "/films/x.mdb" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(databaseFile(c.text, "/films").string(), c.file) << c.text;
    EXPECT_EQ(databaseFile(connectionStringFor("/srv/a;b}c.db"), "/").string(), "/srv/a;b}c.db");
    EXPECT_EQ(parseConnectionString(kConnectionString).at("DRIVER"), "Microsoft Access Driver (*.mdb)");
}

TEST(ConnectionString, WithoutDbqFails)
{
    for (const char* text : { "", "DRIVER=x", "DBQ=", "DBQ= ;" })
        EXPECT_THROW(databaseFile(text, "/films"), EEngineError) << text;
}
