// Importing a synthetic title dataset at 1/20 of today's published size with `vantrelle-tool titles import`,
// side by side with the least any import must do: zcat of the same five files to /dev/null.
//
// With VANTRELLE_BENCH_TITLES_FULL=DIR it also imports one at the published size, once: generated into DIR
// the first time (several GB; it stays there for the next run) and timed with its peak memory.
#include "BenchMain.h"
#include "Processes.h"
#include "TitleDataset.h"
#include "vantrelle/ScratchDir.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdlib>
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

constexpr const char* kFullSizeVariable = "VANTRELLE_BENCH_TITLES_FULL";

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

// One `vantrelle-tool titles import` of the dataset in `dir` into dir/titles.db: its seconds, and its peak
// resident memory in kilobytes as GNU time measures it (the import alone, not this process's pages at the fork).
struct ImportRun {
    double seconds = 0;
    double peakKilobytes = 0;
};

ImportRun importDataset(const fs::path& dir, bool& ok)
{
    const fs::path peakFile = dir / "peak.txt";
    const std::vector<std::string> import { "/usr/bin/time", "-f", "%M", "-o", peakFile.string(), VANTRELLE_TOOL,
        "titles", "import", dir.string(), "-o", (dir / "titles.db").string() };
    ImportRun run;
    run.seconds = seconds(import, ok);
    std::ifstream(peakFile) >> run.peakKilobytes;
    return run;
}

void BM_TitlesImportAgainstZcat(benchmark::State& state)
{
    const fs::path dir = Dataset::dataset().dir;
    std::vector<std::string> zcat { "zcat" };
    for (const std::string& file : kFiles)
        zcat.push_back((dir / file).string());
    const fs::path index = dir / "titles.db";
    double zcatSeconds = 0;
    double importSeconds = 0;
    double peakKilobytes = 0;
    bool ok = true;
    for (auto _ : state) {
        zcatSeconds += seconds(zcat, ok);
        const ImportRun run = importDataset(dir, ok);
        importSeconds += run.seconds;
        peakKilobytes = std::max(peakKilobytes, run.peakKilobytes);
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

void BM_TitlesFullSizeImport(benchmark::State& state)
{
    const fs::path dir = std::getenv(kFullSizeVariable);
    const fs::path complete = dir / "generated";
    if (!fs::exists(complete)) {
        vantrelle::bench::generateTitleDataset(dir, vantrelle::bench::TitleDatasetSize::published());
        std::ofstream { complete };
    }
    bool ok = true;
    ImportRun run;
    for (auto _ : state)
        run = importDataset(dir, ok);
    if (!ok) {
        state.SkipWithError("vantrelle-tool titles import failed");
        return;
    }
    vantrelle::bench::reportInfo("titles.full_import_seconds", run.seconds, "s");
    vantrelle::bench::reportInfo("titles.full_import_peak_rss_mb", run.peakKilobytes / 1024.0, "MB");
    vantrelle::bench::reportInfo("titles.full_indexed_titles",
        static_cast<double>(count(dir / "titles.db", "SELECT count(*) FROM titles")), "titles");
}

const bool kFullSizeRegistered = [] {
    if (std::getenv(kFullSizeVariable))
        benchmark::RegisterBenchmark("BM_TitlesFullSizeImport", BM_TitlesFullSizeImport)
            ->Unit(benchmark::kSecond)
            ->UseRealTime()
            ->Iterations(1);
    return true;
}();

} // namespace
