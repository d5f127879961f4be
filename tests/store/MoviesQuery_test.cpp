#include "StoreFixture.h"

#include "vantrelle/store/Errors.h"

using namespace vantrelle::store;
using vantrelle::store::test::StoreTest;

TEST_F(StoreTest, OpensInTitleOrderWithCaseFolded)
{
    addFilms({ { "alien", 1979 }, { "Zodiac", 2007 }, { "Abyss", 1989 }, { "Blade Runner", 1982 } });
    query.open();
    EXPECT_EQ(query.state(), qsBrowse);
    EXPECT_EQ(titles(), (std::vector<std::string> { "Abyss", "alien", "Blade Runner", "Zodiac" }));
    EXPECT_EQ(query.aqMoviesNameOfMovie.asString(), "Abyss");
    EXPECT_EQ(events, (std::vector<std::string> { "StateChange:1", "AfterScroll" }));
}
