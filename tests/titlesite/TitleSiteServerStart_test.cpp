// The title site's server: it opens its index before it listens, and it starts and stops on demand.

#include "TestFiles.h"
#include "TitleDataset.h"
#include "vantrelle/Error.h"
#include "vantrelle/sqlite/Sqlite.h"
#include "vantrelle/titlesite/TitleSiteServer.h"

#include <gtest/gtest.h>

using namespace vantrelle;

namespace {

TEST(TitleSiteServer, RefusesAnIndexItCannotReadBeforeListening)
{
    vantrelle::ScratchDir dir;
    const std::string old = test::importedIndex(dir.path(), {}).string();
    // As one built before the word index spelled Latin letters in ASCII.
    sqlite::Database(old, SQLITE_OPEN_READWRITE).exec("UPDATE meta SET value = '1' WHERE key = 'schema_version'");
    // The server opens its index at once, so a bad one fails before anything listens.
    EXPECT_THROW(titlesite::TitleSiteServer server(old), Error);
}

TEST(TitleSiteServer, StartsStopsAndStartsAgain)
{
    vantrelle::ScratchDir dir;
    const auto file = test::importedIndex(dir.path(), {});
    titlesite::TitleSiteServer server(file);
    const int port = server.start();
    EXPECT_GT(port, 0);
    EXPECT_THROW(server.start(), Error);
    // A port that is taken cannot be listened on.
    titlesite::TitleSiteServer second(file);
    EXPECT_THROW(second.start(port), Error);
    server.stop();
    server.stop();
    EXPECT_EQ(second.start(port), port);
    // The destructor stops the second one.
}

} // namespace
