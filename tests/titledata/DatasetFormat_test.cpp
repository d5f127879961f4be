// The lines of the five dataset files, read one at a time.

#include "vantrelle/titledata/DatasetFormat.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace vantrelle::titledata;

namespace {

// The message of the DatasetError that `parse` throws, or nothing when it reads the line.
template <typename Parse> std::optional<std::string> failure(Parse&& parse)
{
    try {
        parse();
    } catch (const DatasetError& e) {
        return e.what();
    }
    return std::nullopt;
}

} // namespace

TEST(DatasetFormat, NumbersAreThePrefixAndSevenOrMoreDigits)
{
    struct Case {
        const char* text;
        std::optional<std::uint32_t> number;
    } const cases[] = {
        { "tt0133093", 133093 },
        { "tt12345678", 12345678 },
        { "tt0000000", 0 },
        { "tt000000000000000042", 42 },
        { "tt999999999", 999999999 },
        { "tt1000000000", std::nullopt },
        { "tt99999999999", std::nullopt },
        { "tt012345", std::nullopt },
        { "tt", std::nullopt },
        { "", std::nullopt },
        { "nm0133093", std::nullopt },
        { "TT0133093", std::nullopt },
        { "tt0133093 ", std::nullopt },
        { "tt-133093", std::nullopt },
        { "tt+0133093", std::nullopt },
        { "tt01330x3", std::nullopt },
        { "0133093", std::nullopt },
    };
    for (const auto& c : cases) {
        if (c.number) {
            EXPECT_EQ(parseTitleNumber(c.text), *c.number) << c.text;
        } else {
            const auto message = failure([&] { parseTitleNumber(c.text); });
            ASSERT_TRUE(message) << c.text;
            EXPECT_EQ(*message,
                "bad title number '" + std::string(c.text) + "' (tt and 7 or more digits, at most 999999999)");
        }
    }
    EXPECT_EQ(parsePersonNumber("nm10000001"), 10000001u);
    EXPECT_EQ(failure([] { parsePersonNumber("tt0000001"); }),
        "bad person number 'tt0000001' (nm and 7 or more digits, at most 999999999)");
}

TEST(DatasetFormat, CharactersAreTheStringsOfAJsonArrayJoined)
{
    struct Case {
        const char* json;
        std::string joined;
    } const cases[] = {
        { R"(["Ellen Ripley"])", "Ellen Ripley" },
        { R"(["Nora Flint","Narrator"])", "Nora Flint / Narrator" },
        { R"( [ "A" , "B" ,"C" ] )", "A / B / C" },
        { R"([])", "" },
        { R"([""])", "" },
        { R"(["Joseph \"Jo\" Marin"])", "Joseph \"Jo\" Marin" },
        { R"(["a\\b\/c\td"])", "a\\b/c\td" },
        { R"(["Sh\u014dji"])", "Sh\xC5\x8Dji" },
        { R"(["\u00e9t\u00C9"])", "\xC3\xA9t\xC3\x89" },
        { R"(["\ud83c\udfac"])", "\xF0\x9F\x8E\xAC" },
        { R"(["Été"])", "Été" },
    };
    for (const auto& c : cases) {
        std::string joined = "left over";
        joinCharacters(c.json, joined);
        EXPECT_EQ(joined, c.joined) << c.json;
    }

    struct Bad {
        const char* json;
        const char* message;
    } const bad[] = {
        { R"("Ellen Ripley")", "'[' expected at offset 1" },
        { R"(["Sam Copper")", "unexpected end at offset 13" },
        { R"(["A",])", "'\"' expected at offset 6" },
        { R"(["A" "B"])", "',' or ']' expected at offset 6" },
        { R"(["A"] x)", "text after the array at offset 6" },
        { R"(["A\x"])", "unknown escape at offset 5" },
        { R"(["\u12G4"])", "hexadecimal digit expected at offset 7" },
        { R"(["\ud83c"])", "lone high surrogate at offset 9" },
        { R"(["\udfac"])", "lone low surrogate at offset 8" },
        { "[\"A\tB\"]", "control character in a string at offset 4" },
        { "[Ellen]", "'\"' expected at offset 2" },
        { "", "unexpected end at offset 0" },
    };
    for (const auto& c : bad) {
        std::string joined;
        EXPECT_EQ(failure([&] { joinCharacters(c.json, joined); }),
            "bad characters '" + std::string(c.json) + "': " + c.message)
            << c.json;
    }
}

TEST(DatasetFormat, TitleLinesKeepNullsApart)
{
    TitleRow row;
    parseTitleLine("tt0000006\tshort\tUntitled\t\\N\t0\t\\N\t\\N\t\\N\t\\N", row);
    EXPECT_EQ(row.number, 6u);
    EXPECT_EQ(row.type, "short");
    EXPECT_EQ(row.title, "Untitled");
    EXPECT_EQ(row.originalTitle, std::nullopt);
    EXPECT_FALSE(row.adult);
    EXPECT_EQ(row.year, std::nullopt);
    EXPECT_EQ(row.runtime, std::nullopt);
    EXPECT_EQ(row.genres, std::nullopt);

    parseTitleLine("tt12345678\tmovie\tSalt & Copper\t\t1\t1987\t\\N\t112\tCrime,Thriller", row);
    EXPECT_EQ(row.number, 12345678u);
    EXPECT_EQ(row.originalTitle, ""); // an empty field is text, not a null
    EXPECT_TRUE(row.adult);
    EXPECT_EQ(row.year, 1987);
    EXPECT_EQ(row.runtime, 112);
    EXPECT_EQ(row.genres, "Crime,Thriller");
}

TEST(DatasetFormat, CrewPrincipalNameAndRatingLines)
{
    CrewRow crew;
    parseCrewLine("tt0000002\tnm0000003,nm0000002\tnm0000004", crew);
    EXPECT_EQ(crew.number, 2u);
    EXPECT_EQ(crew.directors, (std::vector<std::uint32_t> { 3, 2 }));
    parseCrewLine("tt0000003\t\\N\tnm0000005", crew);
    EXPECT_TRUE(crew.directors.empty());

    PrincipalRow principal;
    parsePrincipalLine("tt0000002\t3\tnm0000011\tactress\t\\N\t[\"Nora Flint\",\"Narrator\"]", principal);
    EXPECT_EQ(principal.number, 2u);
    EXPECT_EQ(principal.ordering, 3);
    EXPECT_EQ(principal.person, 11u);
    EXPECT_EQ(principal.category, "actress");
    EXPECT_EQ(principal.characters, "Nora Flint / Narrator");
    parsePrincipalLine("tt0000002\t1\tnm0000003\tdirector\t\\N\t\\N", principal);
    EXPECT_EQ(principal.characters, "");

    NameRow name;
    parseNameLine("nm0000014\tHobbs & Ferrante\t\\N\t\\N\tsoundtrack\ttt0000002", name);
    EXPECT_EQ(name.person, 14u);
    EXPECT_EQ(name.name, "Hobbs & Ferrante");
    parseNameLine("nm0000024\t\\N\t\\N\t\\N\t\\N\t\\N", name);
    EXPECT_EQ(name.name, std::nullopt);

    RatingRow rating;
    parseRatingLine("tt0000002\t6.9\t120000", rating);
    EXPECT_EQ(rating.number, 2u);
    EXPECT_EQ(rating.votes, 120000u);
    parseRatingLine("tt0000003\t\\N\t\\N", rating); // no votes counted yet
    EXPECT_EQ(rating.votes, 0u);
}

TEST(DatasetFormat, MalformedLinesSayWhatIsWrong)
{
    TitleRow title;
    CrewRow crew;
    PrincipalRow principal;
    RatingRow rating;
    NameRow name;
    struct Case {
        const char* what;
        std::function<void()> parse;
        const char* message;
    } const cases[] = {
        { "a missing field", [&] { parseTitleLine("tt0000001\tmovie\tA\tA\t0\t1962\t\\N\t94", title); },
            "8 fields where 9 are expected" },
        { "an extra field", [&] { parseRatingLine("tt0000001\t7.4\t5000\t", rating); },
            "4 fields where 3 are expected" },
        { "an empty line", [&] { parseNameLine("", name); }, "1 field where 6 are expected" },
        { "a year with a letter", [&] { parseTitleLine("tt0000001\tmovie\tA\tA\t0\t19x2\t\\N\t94\t\\N", title); },
            "bad startYear '19x2'" },
        { "a negative runtime", [&] { parseTitleLine("tt0000001\tmovie\tA\tA\t0\t1962\t\\N\t-4\t\\N", title); },
            "bad runtimeMinutes '-4'" },
        { "a runtime too large",
            [&] { parseTitleLine("tt0000001\tmovie\tA\tA\t0\t1962\t\\N\t1234567890\t\\N", title); },
            "bad runtimeMinutes '1234567890'" },
        { "an empty vote count", [&] { parseRatingLine("tt0000001\t7.4\t", rating); }, "bad numVotes ''" },
        { "a director list with an empty entry", [&] { parseCrewLine("tt0000002\tnm0000003,\t\\N", crew); },
            "bad person number '' (nm and 7 or more digits, at most 999999999)" },
        { "bad characters",
            [&] { parsePrincipalLine("tt0000002\t2\tnm0000010\tactor\t\\N\t[\"Sam Copper\"", principal); },
            "bad characters '[\"Sam Copper\"': unexpected end at offset 13" },
        { "an ordering that is not a number",
            [&] { parsePrincipalLine("tt0000002\tfirst\tnm0000010\tactor\t\\N\t\\N", principal); },
            "bad ordering 'first'" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(failure(c.parse), c.message) << c.what;
}
