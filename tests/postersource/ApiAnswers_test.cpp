// TMDB's find and details answers read into what the poster source needs, and answers of other shapes
// read as nothing.

#include "vantrelle/postersource/ApiAnswers.h"

#include <gtest/gtest.h>

#include <string>

using namespace vantrelle::postersource;

TEST(ApiAnswers, FindTakesTheFirstFilmElseTheFirstSeries)
{
    struct Case {
        std::string json;
        bool readable;
        std::int64_t id; // 0: nothing found
        bool movie;
        std::string posterPath;
    } const cases[] = {
        { R"({"movie_results":[{"id":603,"poster_path":"/f89U3ADr1oiB1s9GkdPOEpXUk5H.jpg"},{"id":604}],"tv_results":[{"id":1}]})",
            true, 603, true, "/f89U3ADr1oiB1s9GkdPOEpXUk5H.jpg" },
        { R"({"movie_results":[],"person_results":[],"tv_results":[{"id":1399,"poster_path":"/u3b.jpg"}]})", true, 1399,
            false, "/u3b.jpg" },
        { R"({"movie_results":[{"id":603,"poster_path":null}]})", true, 603, true, "" },
        { R"({"movie_results":[{"id":603}]})", true, 603, true, "" },
        { R"({"movie_results":[],"tv_results":[]})", true, 0, true, "" },
        { R"({})", true, 0, true, "" },
        // Poster paths that would leave the image host's poster folder, or carry a query, are no poster.
        { R"({"movie_results":[{"id":7,"poster_path":"/../../etc/passwd"}]})", true, 7, true, "" },
        { R"({"movie_results":[{"id":7,"poster_path":"/a.jpg?x=1"}]})", true, 7, true, "" },
        { R"({"movie_results":[{"id":7,"poster_path":"http://elsewhere/a.jpg"}]})", true, 7, true, "" },
        { R"({"movie_results":[{"id":7,"poster_path":"/"}]})", true, 7, true, "" },
        { R"({"movie_results":[{"id":7,"poster_path":42}]})", true, 7, true, "" },
        // Results without a usable id are skipped for the series.
        { R"({"movie_results":[{"id":"603"}],"tv_results":[{"id":5}]})", true, 5, false, "" },
        { R"({"movie_results":[{"id":-1}]})", true, 0, true, "" },
        { R"({"movie_results":[{"id":1.5}]})", true, 0, true, "" },
        { R"({"movie_results":{"id":1}})", true, 0, true, "" },
        { R"({"movie_results":[null]})", true, 0, true, "" },
        // Not a JSON object at all.
        { R"([{"id":1}])", false, 0, true, "" },
        { R"({"movie_results":[{"id":603,"poster_path":"/x.jpg"})", false, 0, true, "" },
        { "", false, 0, true, "" },
        { "{\"movie_results\":[{\"id\":1,\"poster_path\":\"/\xFF.jpg\"}]}", false, 0, true, "" },
        { std::string(100000, '['), false, 0, true, "" },
    };
    for (const auto& c : cases) {
        const FindAnswer answer = readFindAnswer(c.json);
        EXPECT_EQ(answer.readable, c.readable) << c.json.substr(0, 80);
        EXPECT_EQ(answer.title ? answer.title->id : 0, c.id) << c.json.substr(0, 80);
        if (answer.title) {
            EXPECT_EQ(answer.title->kind == FoundTitle::Kind::Movie, c.movie) << c.json;
            EXPECT_EQ(answer.title->posterPath, c.posterPath) << c.json;
        }
    }
}

TEST(ApiAnswers, TaglineIsTheStringOrNothing)
{
    struct Case {
        std::string json;
        std::string tagline;
    } const cases[] = {
        { R"({"id":603,"tagline":"Welcome to the Real World.","title":"The Matrix"})", "Welcome to the Real World." },
        { R"({"tagline":"\u00c9t\u00e9 <br> \"quoted\""})", "\xC3\x89t\xC3\xA9 <br> \"quoted\"" },
        { R"({"tagline":""})", "" },
        { R"({"tagline":null})", "" },
        { R"({"tagline":7})", "" },
        { R"({"title":"No tagline"})", "" },
        { R"({"tagline":"cut off)", "" },
        { R"(["tagline"])", "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(readTagline(c.json), c.tagline) << c.json;
}
