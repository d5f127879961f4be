// The title service over loopback HTTP, on the index imported from the synthetic dataset at 1/20 of the
// published size (about 180,000 titles kept once the episodes are left out):
//   ratio titles.lookup         p99 latency of "/Title?" pages divided by the p99 of a static answer of
//                               the same size from the same server (a poster held in memory), the two
//                               asked in turn on one keep-alive connection
//   info titles.search_p95_ms   p95 latency of "/Tsearch?" with one common word
#include "BenchMain.h"
#include "TitleDataset.h"
#include "vantrelle/ScratchDir.h"

#include "vantrelle/titledata/Import.h"
#include "vantrelle/titlesite/TitleSiteServer.h"

#include <benchmark/benchmark.h>
#include <httplib.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Words of one syllable: each stands at the start of a few percent of all title words, as "the" or
// "love" do in the real titles.
const std::vector<std::string> kCommonWords = { "ka", "lo", "mar", "vel", "ber", "gre", "tur", "wen" };

// Every title number of the index, as the service answers them.
std::vector<std::int64_t> titleNumbers(const fs::path& index)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(index.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(db, "SELECT number FROM titles", -1, &select, nullptr);
    std::vector<std::int64_t> numbers;
    while (sqlite3_step(select) == SQLITE_ROW)
        numbers.push_back(sqlite3_column_int64(select, 0));
    sqlite3_finalize(select);
    sqlite3_close(db);
    if (numbers.empty())
        throw std::runtime_error("the imported index holds no titles");
    return numbers;
}

double percentile(std::vector<double> seconds, double fraction)
{
    if (seconds.empty())
        return 0;
    std::sort(seconds.begin(), seconds.end());
    return seconds[std::min(seconds.size() - 1, static_cast<std::size_t>(fraction * seconds.size()))];
}

// The index, a poster as large as a title page, and the server, for the whole run.
struct Service {
    vantrelle::ScratchDir dir { "titles-service" };
    std::vector<std::int64_t> numbers;
    std::unique_ptr<vantrelle::titlesite::TitleSiteServer> server;
    std::unique_ptr<httplib::Client> client;

    Service()
    {
        vantrelle::bench::generateTitleDataset(dir / "dataset");
        vantrelle::titledata::importTitles(dir / "dataset", dir / "titles.db");
        fs::remove_all(dir / "dataset");
        numbers = titleNumbers(dir / "titles.db");
        fs::create_directories(dir / "posters");
        // The static answer: as many bytes as a typical title page.
        std::ofstream(dir / "posters" / "0000001.gif", std::ios::binary) << std::string(pageSize(), 'p');
        server = std::make_unique<vantrelle::titlesite::TitleSiteServer>(dir / "titles.db", dir / "posters");
        client = std::make_unique<httplib::Client>("127.0.0.1", server->start());
        client->set_keep_alive(true);
        client->set_tcp_nodelay(true);
    }

    std::size_t pageSize()
    {
        vantrelle::titlesite::TitleSiteServer sizing(dir / "titles.db");
        httplib::Client probe("127.0.0.1", sizing.start());
        std::size_t total = 0;
        for (std::size_t i = 0; i < 100; ++i)
            total += probe.Get(("/Title?" + std::to_string(numbers[i * numbers.size() / 100])).c_str())->body.size();
        return total / 100;
    }

    double get(const std::string& path)
    {
        const auto start = Clock::now();
        const auto answer = client->Get(path.c_str());
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (!answer || answer->status != 200)
            throw std::runtime_error("no page for " + path);
        return seconds;
    }
};

Service& service()
{
    static Service instance;
    return instance;
}

void BM_TitlePageAndStaticAnswer(benchmark::State& state)
{
    Service& s = service();
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> anyTitle(0, s.numbers.size() - 1);
    std::vector<double> titles, statics;
    for (auto _ : state) {
        titles.push_back(s.get("/Title?" + std::to_string(s.numbers[anyTitle(random)])));
        statics.push_back(s.get("/Posters/0000001.gif"));
    }
    const double ours = percentile(titles, 0.99);
    const double reference = percentile(statics, 0.99);
    state.counters["title_p99_us"] = ours * 1e6;
    state.counters["static_p99_us"] = reference * 1e6;
    vantrelle::bench::reportRatio("titles.lookup", ours / reference);
}
BENCHMARK(BM_TitlePageAndStaticAnswer)->Iterations(20000)->Unit(benchmark::kMicrosecond);

void BM_SearchOneCommonWord(benchmark::State& state)
{
    Service& s = service();
    std::vector<double> seconds;
    std::size_t next = 0;
    for (auto _ : state) {
        const std::string& word = kCommonWords[next++ % kCommonWords.size()];
        seconds.push_back(s.get("/Tsearch?" + word));
    }
    const double p95 = percentile(seconds, 0.95);
    state.counters["p95_ms"] = p95 * 1e3;
    vantrelle::bench::reportInfo("titles.search_p95_ms", p95 * 1e3, "ms");
}
BENCHMARK(BM_SearchOneCommonWord)->Iterations(400)->Unit(benchmark::kMillisecond);

} // namespace
