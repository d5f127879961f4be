#include "StoreFixture.h"

#include "vantrelle/store/ReadMovies.h"

namespace vantrelle::store::test {

constexpr int kTitle = 1, kCover = 16, kYear = 17; // in the columns' declared order

TEST_F(StoreTest, ReadMoviesGivesEveryRowInTitleOrderWithOrWithoutCovers)
{
    addFilms({ { "Fargo", 1996 }, { "\xC3\x89t\xC3\xA9", 1999 }, { "Alien", 1979 } });
    sql("UPDATE Movies SET Cover = x'424D00' WHERE NameOfMovie = 'Alien'");
    for (const CoverReading covers : { CoverReading::read, CoverReading::skipped }) {
        std::vector<std::string> shown;
        readMovies(
            connectionStringFor("Movies.mdb"),
            [&](StoredRow&& row) {
                const auto* cover = std::get_if<Bytes>(&row.values[kCover]);
                shown.push_back(std::get<std::string>(row.values[kTitle]) + " "
                    + std::to_string(std::get<std::int32_t>(row.values[kYear]))
                    + (cover ? " cover " + std::to_string(cover->size()) : ""));
            },
            covers);
        const std::vector<std::string> expected = covers == CoverReading::read
            ? std::vector<std::string> { "Alien 1979 cover 3", "\xC3\x89t\xC3\xA9 1999", "Fargo 1996" }
            : std::vector<std::string> { "Alien 1979", "\xC3\x89t\xC3\xA9 1999", "Fargo 1996" };
        EXPECT_EQ(shown, expected);
    }
}

} // namespace vantrelle::store::test
