// Opening the movies query on 5,000 films with 30 KB covers and making every film current once, so that every
// value is read, against a plain SQLite read of the same rows with every column fetched and copied with an
// unordered SELECT *, the two taking turns (their thread times).
// On 50,000 such films: the open against the plain ordered read of the IDs and titles through the title index
// (what the list shows), the two taking turns, and its time and peak memory; the save (a post and the reopen after it)
// and the reopen alone, against a plain read of every column but the cover in title order; the save against a plain
// update and commit; the first look for values that do not convert; every row made current once.
#include "BenchMain.h"
#include "FilmCatalogue.h"
#include "vantrelle/ScratchDir.h"

#include "vantrelle/store/MoviesQuery.h"
#include "vantrelle/store/Schema.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <random>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace vantrelle::store;

constexpr int kFilms = 5000;
constexpr int kLargeFilms = 50000;
constexpr std::size_t kCoverBytes = 30 * 1024;

void check(int result, sqlite3* db)
{
    if (result != SQLITE_OK && result != SQLITE_ROW && result != SQLITE_DONE)
        throw std::runtime_error(sqlite3_errmsg(db));
}

long statusKilobytes(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.starts_with(key))
            return std::stol(line.substr(line.find(':') + 1));
    return 0;
}

// A catalogue of `films` films, made once per run in a temporary folder and removed at exit.
class Catalogue {
public:
    explicit Catalogue(int films)
        : m_folder("store-bench-" + std::to_string(films))
        , m_file(m_folder / "Movies.mdb")
    {
        std::mt19937 random(42);
        std::vector<std::uint8_t> cover(kCoverBytes);
        for (std::size_t k = 0; k + 4 <= cover.size(); k += 4) {
            const std::uint32_t word = random();
            std::memcpy(cover.data() + k, &word, 4);
        }
        vantrelle::bench::makeFilmCatalogue(m_file, films, cover);
    }

    const fs::path& file() const { return m_file; }

private:
    vantrelle::ScratchDir m_folder;
    fs::path m_file;
};

const Catalogue& catalogue()
{
    static const Catalogue instance(kFilms);
    return instance;
}

const Catalogue& largeCatalogue()
{
    static const Catalogue instance(kLargeFilms);
    return instance;
}

using PlainValue = std::variant<std::monostate, std::int64_t, std::string, std::vector<std::uint8_t>>;
using PlainRow = std::array<PlainValue, kMovieColumnCount>;

// What any reader of the table must do at least: run the statement and copy every value out.
// With `keepEvery` false each row is copied out over the one before, as by a reader that holds a few rows.
std::vector<PlainRow> plainRead(const char* sql, const Catalogue& from = catalogue(), bool keepEvery = true)
{
    sqlite3* db = nullptr;
    check(sqlite3_open_v2(from.file().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), db);
    sqlite3_stmt* select = nullptr;
    check(sqlite3_prepare_v2(db, sql, -1, &select, nullptr), db);
    std::vector<PlainRow> rows;
    while (sqlite3_step(select) == SQLITE_ROW) {
        PlainRow& row = keepEvery || rows.empty() ? rows.emplace_back() : rows.back();
        for (int i = 0; i < sqlite3_column_count(select); ++i) {
            switch (sqlite3_column_type(select, i)) {
            case SQLITE_INTEGER:
                row[i] = static_cast<std::int64_t>(sqlite3_column_int64(select, i));
                break;
            case SQLITE_TEXT:
                row[i] = std::string(
                    reinterpret_cast<const char*>(sqlite3_column_text(select, i)), sqlite3_column_bytes(select, i));
                break;
            case SQLITE_BLOB: {
                const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(select, i));
                row[i] = std::vector<std::uint8_t>(data, data + sqlite3_column_bytes(select, i));
                break;
            }
            default:
                break;
            }
        }
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
    return rows;
}

// Peak resident memory that one open adds, per byte of the values it read; measured once.
void reportPeakMemory()
{
    {
        malloc_trim(0); // what earlier runs freed goes back, so this open cannot hide in it
        std::ofstream("/proc/self/clear_refs") << "5";
    } // resets the peak to the current size
    const long before = statusKilobytes("VmRSS:");
    MoviesQuery query;
    query.ConnectionString = connectionStringFor(catalogue().file());
    query.open();
    const long peak = statusKilobytes("VmHWM:");
    std::size_t bytes = 0;
    for (int recNo = 1; recNo <= query.recordCount(); ++recNo) {
        query.setRecNo(recNo);
        for (const Field* field : query.fields())
            if (const auto* text = std::get_if<std::string>(&field->value()))
                bytes += text->size();
            else if (const auto* data = std::get_if<Bytes>(&field->value()))
                bytes += data->size();
            else if (!field->isNull())
                bytes += sizeof(std::int32_t);
    }
    vantrelle::bench::reportInfo("store.open.peak_memory_per_value_byte",
        static_cast<double>(peak - before) * 1024.0 / static_cast<double>(bytes), "x");
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The time this thread has run: both sides of the walk read a file in the page cache on one thread and wait for
// nothing else, so that is what each costs, where the time on the clock also counts the turns of other programs on a
// shared machine.
double cpuNow()
{
    timespec t {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Our open with every film made current once, first to last, and the plain unordered read of the same rows,
// taking turns, so that both meet the machine in the same state; compared by the medians of their thread times.
void BM_StoreOrdered(benchmark::State& state)
{
    catalogue();
    reportPeakMemory();
    std::vector<double> ours, plain;
    for (auto _ : state) {
        double start = cpuNow();
        {
            MoviesQuery query;
            query.ConnectionString = connectionStringFor(catalogue().file());
            query.open();
            for (; !query.eof(); query.next())
                benchmark::DoNotOptimize(query.aqMoviesCover.isNull());
        }
        ours.push_back(cpuNow() - start);
        start = cpuNow();
        benchmark::DoNotOptimize(plainRead("SELECT * FROM Movies", catalogue(), false).size());
        plain.push_back(cpuNow() - start);
    }
    using vantrelle::bench::median;
    vantrelle::bench::reportRatio("store.ordered", median(ours) / median(plain));
}

// What the list shows: the IDs and titles in order, read through the title index, each kept as a number and a
// string.
void readPlainTitles()
{
    sqlite3* db = nullptr;
    // One thread uses the connection, as the query's does: no locks around each call.
    check(sqlite3_open_v2(largeCatalogue().file().c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr),
        db);
    sqlite3_stmt* select = nullptr;
    check(sqlite3_prepare_v2(db,
              "SELECT ID, NameOfMovie FROM Movies INDEXED BY MoviesByName ORDER BY NameOfMovie COLLATE NOCASE", -1,
              &select, nullptr),
        db);
    std::vector<std::pair<std::int64_t, std::string>> titles;
    while (sqlite3_step(select) == SQLITE_ROW)
        titles.emplace_back(sqlite3_column_int64(select, 0),
            std::string(reinterpret_cast<const char*>(sqlite3_column_text(select, 1)),
                static_cast<std::size_t>(sqlite3_column_bytes(select, 1))));
    sqlite3_finalize(select);
    sqlite3_close(db);
    benchmark::DoNotOptimize(titles.size());
}

// Our open of the large catalogue (closed again) and the plain read of what the list shows, taking turns, so
// that both meet the machine in the same state; compared by their medians, which a moment's load elsewhere
// does not move.
void BM_LargeOpen(benchmark::State& state)
{
    largeCatalogue();
    std::vector<double> ours, plain;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        {
            MoviesQuery query;
            query.ConnectionString = connectionStringFor(largeCatalogue().file());
            query.open();
            benchmark::DoNotOptimize(query.recordCount());
        }
        ours.push_back(secondsSince(start));
        start = std::chrono::steady_clock::now();
        readPlainTitles();
        plain.push_back(secondsSince(start));
    }
    using vantrelle::bench::median;
    vantrelle::bench::reportInfo("store.open_ms", median(ours) * 1e3, "ms");
    vantrelle::bench::reportRatio("store.open", median(ours) / median(plain));
}

// Every row of the large catalogue made current once, first to last, as a user scrolling the whole list.
void BM_ScrollAll(benchmark::State& state)
{
    largeCatalogue();
    MoviesQuery query;
    query.ConnectionString = connectionStringFor(largeCatalogue().file());
    query.open();
    double seconds = 0;
    int scrolls = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        for (query.first(); !query.eof(); query.next())
            benchmark::DoNotOptimize(query.aqMoviesCover.isNull());
        seconds += secondsSince(start);
        ++scrolls;
    }
    vantrelle::bench::reportInfo("store.scroll_all_ms", seconds / scrolls * 1e3, "ms");
}

// The window's save on the large catalogue: a post, then the reopen (timed), side by side with the plain read
// that a reopen cannot do without. Also the peak memory of the first open.
void BM_StoreReopen(benchmark::State& state)
{
    largeCatalogue();
    {
        malloc_trim(0); // what earlier runs freed goes back, so this open cannot hide in it
        std::ofstream("/proc/self/clear_refs") << "5";
    } // resets the peak to the current size
    MoviesQuery query;
    query.ConnectionString = connectionStringFor(largeCatalogue().file());
    query.open();
    vantrelle::bench::reportInfo("store.open.peak_rss_mb", statusKilobytes("VmHWM:") / 1024.0, "MiB");
    // The first question for the values that do not convert reads every film but its cover.
    const auto scan = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(query.UnreadableValues().size());
    vantrelle::bench::reportInfo("store.unreadable_scan_ms", secondsSince(scan) * 1e3, "ms");
    double save = 0;
    double reopen = 0;
    double plain = 0;
    int saves = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        query.edit();
        query.aqMoviesGenre.setAsString(saves++ % 2 ? "Drama" : "Comedy");
        query.post();
        const auto posted = std::chrono::steady_clock::now();
        query.close();
        query.open();
        save += secondsSince(start);
        reopen += secondsSince(posted);
        start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(plainRead("SELECT ID, NameOfMovie, Genre, Director, Tagline, Runtime, Format, "
                                           "NoOfCds, CastMemberName1, CastMemberName2, CastMemberName3, "
                                           "CastMemberName4, Character1, Character2, Character3, Character4, "
                                           "Year FROM Movies ORDER BY NameOfMovie",
            largeCatalogue())
                                     .size());
        plain += secondsSince(start);
    }
    vantrelle::bench::reportInfo("store.save_ms", save / saves * 1e3, "ms");
    vantrelle::bench::reportInfo("store.reopen_ms", reopen / saves * 1e3, "ms");
    vantrelle::bench::reportRatio("store.reopen", reopen / plain);

    // The least a save costs: a plain update of the same column, committed as durably (a rollback journal,
    // synchronous FULL). After the saves, whose reopens another connection's commits would make read the file.
    sqlite3* db = nullptr;
    check(sqlite3_open_v2(largeCatalogue().file().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), db);
    check(sqlite3_exec(db, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr), db);
    double commit = 0;
    for (int i = 0; i < saves; ++i) {
        const auto start = std::chrono::steady_clock::now();
        check(sqlite3_exec(db,
                  i % 2 ? "BEGIN IMMEDIATE; UPDATE Movies SET Genre = 'Drama' WHERE ID = 1; COMMIT"
                        : "BEGIN IMMEDIATE; UPDATE Movies SET Genre = 'Comedy' WHERE ID = 1; COMMIT",
                  nullptr, nullptr, nullptr),
            db);
        commit += secondsSince(start);
    }
    sqlite3_close(db);
    vantrelle::bench::reportRatio("store.save", save / commit);
}
// First, while the process is small; a fixed iteration count runs it once, so each line is reported once.
BENCHMARK(BM_StoreReopen)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_StoreOrdered)->Unit(benchmark::kMillisecond)->Iterations(9);
BENCHMARK(BM_LargeOpen)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_ScrollAll)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
