// Importing a synthetic title dataset at 1/20 of today's published size with `vantrelle-tool titles import`,
// side by side with the least any import must do: zcat of the same five files to /dev/null.
#include "BenchMain.h"
#include "Processes.h"
#include "vantrelle/ScratchDir.h"
#include "TitleDataset.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kFiles = { "title.basics.tsv.gz", "title.ratings.tsv.gz", "title.crew.tsv.gz",
    "title.principals.tsv.gz", "name.basics.tsv.gz" };

// The dataset, generated once per run in a temporary folder and removed at exit.
struct Dataset {
    Dataset()
    {
        const auto start = std::chrono::steady_clock::now();
        vantrelle::bench::generateTitleDataset(dir);
        vantrelle::bench::reportInfo("titles.generate_seconds",
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), "s");
    }
    static Dataset& dataset();

    vantrelle::ScratchDir scratch { "titles-bench" };
    fs::path dir = scratch.path();
};

Dataset& Dataset::dataset()
{
    static Dataset generated;
    return generated;
}

double seconds(const std::vector<std::string>& arguments, bool& ok)
{
    const auto start = std::chrono::steady_clock::now();
    ok = vantrelle::bench::runProcess(arguments, true) && ok;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::int64_t count(const fs::path& index, const char* sql)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(index.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    const std::int64_t value = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : -1;
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return value;
}

void BM_TitlesImportAgainstZcat(benchmark::State& state)
{
    const fs::path dir = Dataset::dataset().dir;
    std::vector<std::string> zcat { "zcat" };
    for (const std::string& file : kFiles)
        zcat.push_back((dir / file).string());
    const fs::path index = dir / "titles.db";
    const fs::path peakFile = dir / "peak.txt";
    // GNU time measures the peak of the import alone, not of this process's pages at the fork.
    const std::vector<std::string> import { "/usr/bin/time", "-f", "%M", "-o", peakFile.string(), VANTRELLE_TOOL,
        "titles", "import", dir.string(), "-o", index.string() };
    double zcatSeconds = 0;
    double importSeconds = 0;
    double peakKilobytes = 0;
    bool ok = true;
    for (auto _ : state) {
        zcatSeconds += seconds(zcat, ok);
        importSeconds += seconds(import, ok);
        double kilobytes = 0;
        std::ifstream(peakFile) >> kilobytes;
        peakKilobytes = std::max(peakKilobytes, kilobytes);
    }
    if (!ok) {
        state.SkipWithError("zcat or vantrelle-tool titles import failed");
        return;
    }
    const std::int64_t titles = count(index, "SELECT count(*) FROM titles");
    vantrelle::bench::reportRatio("titles.import", importSeconds / zcatSeconds);
    vantrelle::bench::reportInfo("titles.import_seconds", importSeconds / static_cast<double>(state.iterations()), "s");
    vantrelle::bench::reportInfo("titles.zcat_seconds", zcatSeconds / static_cast<double>(state.iterations()), "s");
    vantrelle::bench::reportInfo("titles.import.peak_rss_mb", peakKilobytes / 1024.0, "MB");
    vantrelle::bench::reportInfo("titles.indexed_titles", static_cast<double>(titles), "titles");
    vantrelle::bench::reportInfo(
        "titles.bytes_per_title", static_cast<double>(fs::file_size(index)) / static_cast<double>(titles), "bytes");
}
// A fixed iteration count: the function runs once, so each line is reported once.
BENCHMARK(BM_TitlesImportAgainstZcat)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(3);

} // namespace
