// The title service over real loopback HTTP, asked the way the program asks through http_proxy, and
// its answers read back by the program's own title page scraper and search reading.

#include "ProxyGet.h"
#include "RecordingTarget.h"
#include "TestFiles.h"
#include "TitleDataset.h"
#include "vantrelle/titleservice/SearchResults.h"
#include "vantrelle/titleservice/TitlePageScraper.h"
#include "vantrelle/titlesite/TitleSite.h"
#include "vantrelle/titlesite/TitleSiteServer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace vantrelle;
using titleindex::CastMember;
using titleindex::Title;
using titleservice::SearchAnswer;

namespace {

const std::string kPoster = "\xFF\xD8\xFF\xE0 not quite a JPEG";

std::vector<Title> serviceTitles()
{
    std::vector<Title> titles {
        { 133093, "movie", "The Matrix", 1999, 136, { "Action", "Sci-Fi" }, { "Lana Wachowski", "Lilly Wachowski" },
            { { "Keanu Reeves", "Neo" }, { "Laurence Fishburne", "Morpheus" }, { "Carrie-Anne Moss", "Trinity" },
                { "Hugo Weaving", "Agent Smith" } },
            2000000 },
        { 9000001, "movie", "Untitled", {}, {}, {}, {}, {}, 10 },
        { 9000002, "movie", "Directed by Nobody", 2010, 75, { "Documentary" }, {},
            { { "Ann Other", "Herself" }, { "Ben Someone", "" } }, 20 },
        { 9000003, "movie",
            "\xC3\x89t\xC3\xA9 \xC3\xA0 Montr\xC3\xA9"
            "al",
            2004, 101, { "Drama" }, { "Ana\xC3\xAFs Lef\xC3\xA8vre" },
            { { "Zo\xC3\xAB Kr\xC3\xA1l", "\xC3\x89lodie" } }, 30 },
        { 9000004, "movie", "Tom & Jerry & Friends", 1990, 60, { "Animation", "Comedy" }, { "Smith & Jones" },
            { { "Kid & Play", "Rock & Roll" }, { "Sammy Davis, Jr.", "Himself, Mostly" },
                { "A+B 100%", "Quote \"Q\"" } },
            40 },
        { 9000005, "movie", "Alien (Director's Cut)", 2003, 116, { "Horror" }, { "Sammy Davis, Jr." }, {}, 50 },
        { 12345678, "tvSeries", "Eight Digits", 2021, 45, { "Drama" }, { "Kim Lee" }, { { "Lee Kim", "Host" } }, 60 },
        { 9000006, "movie", "I <3 Paris", 2012, 90, { "Romance" }, { "Jo <Jo>" }, { { "Max", "<Unnamed>" } }, 70 },
        { 9000007, "tvEpisode", "An Episode", 2001, 22, { "Drama" }, {}, {}, 80 },
        { 9000008, "short", "Lettuce", 1925, 9, { "Short" }, { "R. Ferris" }, { { "Sol", "Sun" } }, 90 },
        // Letters that have no accent to strip.
        { 9100001, "movie",
            "K\xC3\xB8"
            "benhavn",
            1950, 90, {}, {}, {}, 91 },
        { 9100002, "movie",
            "Die Stra\xC3\x9F"
            "e",
            1951, 90, {}, {}, {}, 92 },
        { 9100003, "movie",
            "\xC3\x86"
            "ble",
            1952, 90, {}, {}, {}, 93 },
        { 9100004, "movie", "\xC5\x92uvre", 1953, 90, {}, {}, {}, 94 },
    };
    // Sixty films share the word "common", with votes that do not follow their numbers.
    for (int i = 0; i < 60; ++i)
        titles.push_back({ 8000000 + i, "movie", "Common Story " + std::to_string(i), 1950 + i, 90, { "Drama" }, {}, {},
            (i * 37) % 60 * 100 + 1000 });
    return titles;
}

// The service of the whole test program, started once on its own index and posters.
struct Service {
    vantrelle::ScratchDir dir;
    std::unique_ptr<titlesite::TitleSiteServer> server;
    int port = 0;

    Service()
    {
        const auto index = test::importedIndex(dir.path(), serviceTitles());
        std::filesystem::create_directory(dir / "posters");
        test::writeFile(dir / "posters" / "9000008.jpg", kPoster);
        test::writeFile(dir / "posters" / "notes.txt", "not a poster");
        server = std::make_unique<titlesite::TitleSiteServer>(index, dir / "posters");
        port = server->start();
    }
};

Service* service = nullptr;

class ServiceEnvironment : public ::testing::Environment {
public:
    void SetUp() override { service = new Service; }
    void TearDown() override { delete service; }
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new ServiceEnvironment);

test::HttpAnswer get(const std::string& path, const std::string& host = "us.imdb.com")
{
    return test::proxyGet(service->port, host, path);
}

std::vector<std::string> scraped(const std::string& page)
{
    test::RecordingTarget row;
    titleservice::URLDecoder decoder;
    titleservice::TitlePageScraper scraper(row, decoder);
    row.scrape(scraper, page);
    return row.calls;
}

std::string header(const test::HttpAnswer& answer, const std::string& name)
{
    const std::size_t start = answer.headers.find("\r\n" + name + ": ");
    if (start == std::string::npos)
        return {};
    const std::size_t value = start + name.size() + 4;
    return answer.headers.substr(value, answer.headers.find("\r\n", value) - value);
}

struct TitleCase {
    const char* what;
    const char* path;
    std::vector<std::string> row; // every call the scraper makes, in order
};

void PrintTo(const TitleCase& c, std::ostream* out)
{
    *out << c.what;
}

// The four cast rows: those given, then empty ones.
std::vector<std::string> castRows(const std::vector<CastMember>& cast)
{
    std::vector<std::string> rows;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::string n = std::to_string(i + 1);
        rows.push_back("CastMemberName" + n + "=" + (i < cast.size() ? cast[i].name : ""));
        rows.push_back("Character" + n + "=" + (i < cast.size() ? cast[i].characters : ""));
    }
    return rows;
}

std::vector<std::string> row(
    std::vector<std::string> head, const std::vector<CastMember>& cast, std::vector<std::string> tail)
{
    const std::vector<std::string> cells = castRows(cast);
    head.insert(head.end(), cells.begin(), cells.end());
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

const TitleCase kTitleCases[] = {
    { "several directors: the first; the title without a trailing blank", "/Title?0133093",
        row({ "Director=Lana Wachowski", "NameOfMovie=The Matrix", "Year=1999", "Genre=Action / Sci-Fi", "Tagline=" },
            { { "Keanu Reeves", "Neo" }, { "Laurence Fishburne", "Morpheus" }, { "Carrie-Anne Moss", "Trinity" },
                { "Hugo Weaving", "Agent Smith" } },
            { "Runtime=136", "placeholder" }) },
    { "nothing known: every column empty, Year untouched, Runtime 0", "/Title?9000001",
        row({ "Director=", "NameOfMovie=Untitled", "Genre=", "Tagline=" }, {}, { "Runtime=0", "placeholder" }) },
    { "no director, and a title holding the director marker", "/Title?9000002",
        row({ "Director=", "NameOfMovie=Directed by Nobody", "Year=2010", "Genre=Documentary", "Tagline=" },
            { { "Ann Other", "Herself" }, { "Ben Someone", "" } }, { "Runtime=75", "placeholder" }) },
    { "UTF-8 names and title", "/Title?9000003",
        row({ "Director=Ana\xC3\xAFs Lef\xC3\xA8vre",
                "NameOfMovie=\xC3\x89t\xC3\xA9 \xC3\xA0 Montr\xC3\xA9"
                "al",
                "Year=2004", "Genre=Drama", "Tagline=" },
            { { "Zo\xC3\xAB Kr\xC3\xA1l", "\xC3\x89lodie" } }, { "Runtime=101", "placeholder" }) },
    { "ampersands, a comma in a name, URL-special characters", "/Title?9000004",
        row({ "Director=Smith & Jones", "NameOfMovie=Tom & Jerry & Friends", "Year=1990", "Genre=Animation / Comedy",
                "Tagline=" },
            { { "Kid & Play", "Rock & Roll" }, { "Sammy Davis, Jr.", "Himself, Mostly" },
                { "A+B 100%", "Quote \"Q\"" } },
            { "Runtime=60", "placeholder" }) },
    { "a title holding brackets, a director with a comma", "/Title?9000005",
        row({ "Director=Sammy Davis, Jr.", "NameOfMovie=Alien [Director's Cut]", "Year=2003", "Genre=Horror",
                "Tagline=" },
            {}, { "Runtime=116", "placeholder" }) },
    { "an 8-digit number", "/Title?12345678",
        row({ "Director=Kim Lee", "NameOfMovie=Eight Digits", "Year=2021", "Genre=Drama", "Tagline=" },
            { { "Lee Kim", "Host" } }, { "Runtime=45", "placeholder" }) },
    { "\"<\" in texts", "/Title?9000006",
        row({ "Director=Jo \xE2\x80\xB9Jo>",
                "NameOfMovie=I \xE2\x80\xB9"
                "3 Paris",
                "Year=2012", "Genre=Romance", "Tagline=" },
            { { "Max", "\xE2\x80\xB9Unnamed>" } }, { "Runtime=90", "placeholder" }) },
    { "a poster", "/Title?9000008",
        row({ "Director=R. Ferris", "NameOfMovie=Lettuce", "Year=1925", "Genre=Short", "Tagline=" },
            { { "Sol", "Sun" } },
            { "Runtime=9", "extension=.jpg", "download=http://posters.imdb.com/Posters/9000008.jpg" }) },
    { "without leading zeros", "/Title?133093", {} },
    { "with a tt prefix", "/Title?tt0133093", {} },
    { "with a tt prefix and no zeros", "/Title?tt133093", {} },
    { "with more zeros", "/Title?000000133093", {} },
};

class TitlePages : public ::testing::TestWithParam<TitleCase> { };

TEST_P(TitlePages, ScrapeIntoCleanColumns)
{
    const TitleCase& c = GetParam();
    const test::HttpAnswer page = get(c.path);
    ASSERT_EQ(page.status, 200);
    EXPECT_EQ(header(page, "Content-Type"), "text/html; charset=utf-8");
    // The number forms all give The Matrix.
    EXPECT_EQ(scraped(page.body), c.row.empty() ? kTitleCases[0].row : c.row);
}

INSTANTIATE_TEST_SUITE_P(Service, TitlePages, ::testing::ValuesIn(kTitleCases));

TEST(TitleSite, AnswersNotFoundForWhatItDoesNotHave)
{
    for (const char* path : { "/Title?9999999", "/Title?9000007", "/Title?0", "/Title?", "/Title?abc", "/Title?tt",
             "/Title?-133093", "/Title?133093x", "/Title?1234567890123456789012", "/Title?0133093&x=1",
             "/Title/0133093", "/Posters/9000009.jpg", "/Posters/9000008.gif", "/Posters/notes.txt",
             "/Posters/../titles.db", "/elsewhere", "/" }) {
        const test::HttpAnswer answer = get(path);
        EXPECT_EQ(answer.status, 404) << path;
        // The program reads a 404 page like any other; it has no title and no poster to fetch.
        EXPECT_EQ(answer.body.find("<TITLE>"), std::string::npos) << path;
    }
}

TEST(TitleSite, ServesPostersByNumber)
{
    const test::HttpAnswer poster = get("/Posters/9000008.jpg", "posters.imdb.com");
    ASSERT_EQ(poster.status, 200);
    EXPECT_EQ(poster.body, kPoster);
    EXPECT_EQ(header(poster, "Content-Type"), "image/jpeg");
}

SearchAnswer search(const std::string& words, test::HttpAnswer* raw = nullptr)
{
    const test::HttpAnswer answer = get("/Tsearch?" + words);
    if (raw)
        *raw = answer;
    EXPECT_TRUE(answer.status == 200 || answer.status == 302) << words << ": " << answer.status;
    return titleservice::readSearchAnswer(answer.body, answer.status == 302 ? header(answer, "Location") : "");
}

TEST(TitleSite, OneMatchRedirectsToItsPageOnTheHostAsked)
{
    test::HttpAnswer raw;
    const SearchAnswer answer = search("the+MATRIX", &raw);
    EXPECT_EQ(raw.status, 302);
    EXPECT_EQ(answer.kind, SearchAnswer::Kind::TitlePage);
    EXPECT_EQ(answer.redirectUrl, "http://us.imdb.com/Title?0133093");

    const std::string own = "127.0.0.1:" + std::to_string(service->port);
    const test::HttpAnswer other = get("/Tsearch?matrix", own);
    EXPECT_EQ(header(other, "Location"), "http://" + own + "/Title?0133093");
    // A host that is no plain host name is not echoed into the answer's headers.
    EXPECT_EQ(service->server->service().answer("/Tsearch?matrix", "evil\"host").location,
        "http://us.imdb.com/Title?0133093");
}

struct SearchCase {
    const char* words;
    std::vector<std::string> numbers; // the matches' numbers, in order; one is the redirect
};

void PrintTo(const SearchCase& c, std::ostream* out)
{
    *out << c.words;
}

const SearchCase kSearchCases[] = {
    { "ete", { "9000003" } }, // accents and case do not matter, in both directions
    { "%C3%89T%C3%89+montr", { "9000003" } },
    { "%E9t%E9+%E0", { "9000003" } }, // Windows-1252 bytes, as an old program might send
    { "Montr%C3%A9al", { "9000003" } }, { "mat", { "0133093" } }, // a word's beginning
    { "atrix", {} }, // not its middle
    { "tom+jerry", { "9000004" } }, { "tom+%26+jerry", { "9000004" } }, // "&" is no word
    { "jerry+tom", { "9000004" } }, // in any order
    { "tom+zebra", {} }, // every word must match
    { "director%27s+cut+alien", { "9000005" } }, { "%22matrix%22", { "0133093" } }, // query syntax is plain text
    { "matrix*", { "0133093" } }, { "-matrix", { "0133093" } }, { "title:matrix", {} }, { "(matrix)", { "0133093" } },
    { "matrix+OR+zebra", {} }, { "matrix+AND", {} }, { "NOT+matrix", {} }, { "NEAR(matrix+the)", {} },
    { "%5Ematrix", { "0133093" } }, { "%22%22%22", {} }, { "", {} }, { "+++", {} }, { "%", {} },
    { "i+3+paris", { "9000006" } }, { "eight+digits", { "12345678" } },
    { "kobenhavn", { "9100001" } }, // typed without the letters that have no accent to strip
    { "strasse", { "9100002" } }, { "aeble", { "9100003" } }, { "oeuvre", { "9100004" } },
    { "K%C3%B8benhavn", { "9100001" } }, // and with them
    { "stra%C3%9F", { "9100002" } }, { "%C3%A6ble", { "9100003" } },
    { "%9Cuvre", { "9100004" } }, // the Windows-1252 byte of "œ"
};

class Searches : public ::testing::TestWithParam<SearchCase> { };

TEST_P(Searches, FindEveryWordAsAPrefix)
{
    const SearchCase& c = GetParam();
    const SearchAnswer answer = search(c.words);
    std::vector<std::string> numbers;
    if (answer.kind == SearchAnswer::Kind::TitlePage)
        numbers.push_back(answer.redirectUrl.substr(answer.redirectUrl.find('?') + 1));
    for (const auto& result : answer.results)
        numbers.push_back(result.number.Number);
    EXPECT_EQ(numbers, c.numbers);
    if (c.numbers.empty()) {
        EXPECT_EQ(answer.kind, SearchAnswer::Kind::NoMovie);
    }
}

INSTANTIATE_TEST_SUITE_P(Service, Searches, ::testing::ValuesIn(kSearchCases));

TEST(TitleSite, ManyMatchesListTheFiftyBestVotedFirst)
{
    const SearchAnswer answer = search("common");
    ASSERT_EQ(answer.kind, SearchAnswer::Kind::Results);
    ASSERT_EQ(answer.results.size(), 50u);
    std::vector<Title> common;
    for (const Title& title : serviceTitles())
        if (title.title.starts_with("Common"))
            common.push_back(title);
    std::stable_sort(common.begin(), common.end(), [](const Title& a, const Title& b) { return a.votes > b.votes; });
    for (std::size_t i = 0; i < answer.results.size(); ++i) {
        EXPECT_EQ(answer.results[i].display, common[i].title + " (" + std::to_string(*common[i].year) + ")");
        EXPECT_EQ(answer.results[i].number.Number, std::to_string(common[i].number));
    }
    EXPECT_EQ(titleservice::chosenTitleUrl(answer, 0), "http://us.imdb.com/Title?" + std::to_string(common[0].number));
}

TEST(TitleSite, AnswersManyClientsAtOnce)
{
    std::vector<std::thread> clients;
    std::vector<int> wrong(4, 0);
    for (std::size_t client = 0; client < wrong.size(); ++client)
        clients.emplace_back([client, &wrong] {
            for (int i = 0; i < 25; ++i) {
                const test::HttpAnswer page = get(i % 2 ? "/Title?0133093" : "/Tsearch?common");
                if (page.status != 200
                    || page.body.find(i % 2 ? "Lana Wachowski" : "Common Story") == std::string::npos)
                    ++wrong[client];
            }
        });
    for (auto& client : clients)
        client.join();
    EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

} // namespace
