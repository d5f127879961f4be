// The user's decisions about a plan, and the texts the review shows.
#include "vantrelle/collections/PlanReview.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

using namespace vantrelle::collections;

namespace {

PlannedFilm planned(MatchStatus status, std::string title = "Harbour")
{
    PlannedFilm film;
    film.film.title = std::move(title);
    film.match.status = status;
    if (status == MatchStatus::ambiguous)
        film.match.candidates = { { 100001, "Harbour Lights", 1987 }, { 100002, "Harbour Lights II", 1990 } };
    if (status == MatchStatus::matched)
        film.match.number = 100004;
    return film;
}

TEST(PlanReviewTest, DecisionsSetStatusAndWhatIsAdded)
{
    const struct {
        const char* what;
        PlannedFilm film;
        std::function<void(PlannedFilm&)> decide;
        MatchStatus status;
        std::optional<std::int64_t> number;
        bool include;
    } cases[] = {
        { "second candidate", planned(MatchStatus::ambiguous), [](PlannedFilm& f) { chooseCandidate(f, 1); },
            MatchStatus::matched, 100002, true },
        { "left out after a pick", planned(MatchStatus::ambiguous),
            [](PlannedFilm& f) {
                chooseCandidate(f, 0);
                chooseCandidate(f, std::nullopt);
            },
            MatchStatus::ambiguous, std::nullopt, false },
        { "not found, from the file", planned(MatchStatus::notFound), [](PlannedFilm& f) { addFromFile(f, true); },
            MatchStatus::fromFile, std::nullopt, true },
        { "from the file, left out", planned(MatchStatus::fromFile), [](PlannedFilm& f) { addFromFile(f, false); },
            MatchStatus::notFound, std::nullopt, false },
        { "no title to add", planned(MatchStatus::notFound, ""), [](PlannedFilm& f) { addFromFile(f, true); },
            MatchStatus::notFound, std::nullopt, false },
    };
    for (auto c : cases) {
        SCOPED_TRACE(c.what);
        c.decide(c.film);
        EXPECT_EQ(c.film.match.status, c.status);
        EXPECT_EQ(c.film.match.number, c.number);
        EXPECT_EQ(c.film.include, c.include);
    }
    PlannedFilm film = planned(MatchStatus::ambiguous);
    EXPECT_THROW(chooseCandidate(film, 2), std::out_of_range);
}

TEST(PlanReviewTest, FilmsToAddCountsTheIncludedMatchedAndFromFileFilms)
{
    ImportPlan plan;
    for (MatchStatus status : { MatchStatus::matched, MatchStatus::ambiguous, MatchStatus::notFound,
             MatchStatus::fromFile, MatchStatus::duplicate, MatchStatus::matched })
        plan.films.push_back(planned(status));
    EXPECT_EQ(filmsToAdd(plan), 3u);
    chooseCandidate(plan.films[1], 0);
    addFromFile(plan.films[2], true);
    plan.films[5].include = false;
    EXPECT_EQ(filmsToAdd(plan), 4u);
}

TEST(PlanReviewTest, Texts)
{
    FileFilm numberOnly;
    numberOnly.number = 133093;
    FileFilm original;
    original.originalTitle = "Honogurai mizu no soko kara";
    const struct {
        std::string text;
        std::string expected;
    } cases[] = {
        { filmLabel("Harbour Lights", 1987), "Harbour Lights (1987)" },
        { filmLabel("Harbour Lights", std::nullopt), "Harbour Lights" },
        { titleNumberText(42), "tt0000042" },
        { titleNumberText(12345678), "tt12345678" },
        { fileTitle(numberOnly), "tt0133093" },
        { fileTitle(original), "Honogurai mizu no soko kara" },
        { progressLine(ImportStage::films, 0, 300, 0), "Films: 0 of 300" },
        { progressLine(ImportStage::films, 120, 300, 0.5), "Films: 120 of 300" },
        { progressLine(ImportStage::films, 120, 300, 3), "Films: 120 of 300, 40.0 a second, 0:05 left" },
        { progressLine(ImportStage::covers, 10, 300, 4), "Covers: 10 of 300, 2.5 a second, 1:56 left" },
        { progressLine(ImportStage::covers, 300, 300, 9), "Covers: 300 of 300" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, c.expected);
}

} // namespace
