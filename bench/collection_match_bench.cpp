// Matching a plain list of 1,000 films against the title index imported from the synthetic dataset at 1/20 of
// the published size:
//   ratio collection.match   reading the list and matching every line, divided by the index's own search asked
//                            once for each line's title (the least any matcher must do)
#include "BenchMain.h"
#include "TitleDataset.h"
#include "vantrelle/ScratchDir.h"
#include "vantrelle/collections/Collection.h"
#include "vantrelle/collections/TitleMatch.h"
#include "vantrelle/titleindex/TitleIndex.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace vantrelle;

constexpr int kLines = 1000;

// The index and a list of its films as people type them: "Title (Year)" for two lines in three, the title
// alone for the others.
struct Shelf {
    ScratchDir dir { "collection-match" };
    std::unique_ptr<titleindex::TitleIndex> index;
    std::string list;
    collections::Collection collection;

    Shelf()
    {
        bench::generateTitleDataset(dir / "dataset");
        const std::string import = std::string(VANTRELLE_TOOL) + " titles import '" + (dir / "dataset").string()
            + "' -o '" + (dir / "titles.db").string() + "' >/dev/null";
        if (std::system(import.c_str()) != 0)
            throw std::runtime_error("the title index could not be imported");
        fs::remove_all(dir / "dataset");
        index = std::make_unique<titleindex::TitleIndex>(dir / "titles.db");
        list = shelfList(dir / "titles.db");
        collection = collections::readCollectionBytes(list, "shelf.txt");
    }

    static std::string shelfList(const fs::path& file)
    {
        sqlite3* db = nullptr;
        sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* select = nullptr;
        sqlite3_prepare_v2(db, "SELECT title, year FROM titles WHERE rowid % 97 = 0 LIMIT ?1", -1, &select, nullptr);
        sqlite3_bind_int(select, 1, kLines);
        std::string list;
        for (int line = 0; sqlite3_step(select) == SQLITE_ROW; ++line) {
            list += reinterpret_cast<const char*>(sqlite3_column_text(select, 0));
            if (line % 3 != 2 && sqlite3_column_type(select, 1) != SQLITE_NULL)
                list += " (" + std::to_string(sqlite3_column_int(select, 1)) + ")";
            list += "\n";
        }
        sqlite3_finalize(select);
        sqlite3_close(db);
        return list;
    }
};

Shelf& shelf()
{
    static Shelf shelf;
    return shelf;
}

void BM_MatchList(benchmark::State& state)
{
    const collections::TitleMatcher matcher(*shelf().index);
    for (auto _ : state) {
        const collections::Collection read = collections::readCollectionBytes(shelf().list, "shelf.txt");
        int matched = 0;
        for (const collections::FileFilm& film : read.films)
            matched += matcher.match(film).status == collections::MatchStatus::matched;
        benchmark::DoNotOptimize(matched);
    }
    state.counters["films"] = static_cast<double>(shelf().collection.films.size());
}
BENCHMARK(BM_MatchList)->Unit(benchmark::kMillisecond);

void BM_SearchEachLine(benchmark::State& state)
{
    for (auto _ : state) {
        std::size_t hits = 0;
        for (const collections::FileFilm& film : shelf().collection.films)
            hits += shelf().index->search(film.title).size();
        benchmark::DoNotOptimize(hits);
    }
}
BENCHMARK(BM_SearchEachLine)->Unit(benchmark::kMillisecond);

const bool compared = (bench::compare("collection.match", "BM_MatchList", "BM_SearchEachLine"), true);

} // namespace
