// A matched film gets exactly what "Enter Number" fills in for its number: each invented film of the stand-in,
// added by a batch whose poster source gives the stand-in's posters, against `vantrelle-tool lookup --number`
// through the stand-in title service, column by column and the cover's bytes.
#include "CollectionFixture.h"
#include "StandInTitleService.h"
#include "TestFiles.h"
#include "ToolRun.h"

#include <nlohmann/json.hpp>

#include <cstdio>

using namespace vantrelle;
using namespace vantrelle::collections;
using namespace vantrelle::collections::test;

namespace fs = std::filesystem;

namespace {

std::string numberText(std::int64_t number)
{
    char text[16];
    std::snprintf(text, sizeof text, "%07lld", static_cast<long long>(number));
    return text;
}

// The stand-in's poster of the film, as its title page links it; empty when it has none.
std::vector<std::uint8_t> demoPoster(std::int64_t number)
{
    for (const auto& entry : fs::directory_iterator(VANTRELLE_DEMO_POSTERS))
        if (entry.path().stem() == numberText(number)) {
            const std::string bytes = vantrelle::test::readFile(entry.path());
            return { bytes.begin(), bytes.end() };
        }
    return {};
}

store::FieldValue fromJson(const nlohmann::json& value)
{
    if (value.is_string())
        return value.get<std::string>();
    if (value.is_number_integer())
        return value.get<std::int32_t>();
    return std::monostate {};
}

using LookupValuesTest = CollectionFixture;

TEST_F(LookupValuesTest, AreWhatEnterNumberFillsIn)
{
    Collection collection;
    for (std::int64_t number = 100001; number <= 100017; ++number) {
        FileFilm film;
        film.line = static_cast<int>(number - 100000);
        film.number = number;
        collection.films.push_back(film);
    }
    ImportPlan plan = planImport(collection, &m_index, m_connection);
    AddOptions options;
    options.extras = [](std::int64_t number) { return Extras { {}, demoPoster(number) }; };
    ASSERT_EQ(addFilms(plan, &m_index, m_connection, options).added, collection.films.size());

    store::MoviesQuery columns;
    const std::string proxy = vantrelle::test::sharedTitleService().proxy();
    const auto stored = rows();
    for (const store::MovieRecord& row : stored) {
        const std::string title = std::get<std::string>(row[store::kNameOfMovieColumn]);
        SCOPED_TRACE(title);
        const auto film = std::find_if(plan.films.begin(), plan.films.end(),
            [&](const PlannedFilm& planned) { return m_index.title(*planned.match.number)->title == title; });
        ASSERT_NE(film, plan.films.end());
        const fs::path cover = m_folder / "cover.bin";
        const vantrelle::test::ToolRun run = vantrelle::test::runTool("lookup --number "
            + numberText(*film->match.number) + " --proxy " + proxy + " --cover '" + cover.string() + "'");
        ASSERT_EQ(run.exitCode, 0) << run.all();
        const nlohmann::json filled = nlohmann::json::parse(run.output)["columns"];
        EXPECT_EQ(filled.size(), 14u); // every column a lookup writes
        for (const auto& [column, value] : filled.items())
            EXPECT_EQ(row[static_cast<std::size_t>(columns.fieldByName(column).index())], fromJson(value)) << column;
        const std::string lookedUpCover = vantrelle::test::readFile(cover);
        const auto* bytes
            = std::get_if<store::Bytes>(&row[static_cast<std::size_t>(columns.fieldByName("Cover").index())]);
        EXPECT_EQ(bytes ? std::string(bytes->begin(), bytes->end()) : std::string(), lookedUpCover);
    }
    EXPECT_EQ(stored.size(), collection.films.size());
}

} // namespace
