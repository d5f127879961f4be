// Scraping time grows with the page, not faster: a hostile 16 MB page costs per megabyte about
// what a 1 MB one does. And FastPos against glibc's memmem on a megabyte of text.

#include "BenchMain.h"
#include "vantrelle/titleservice/TextUtilities.h"
#include "vantrelle/titleservice/TitlePageScraper.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>

using namespace vantrelle::titleservice;

namespace {

// Takes everything and cancels the dialog, as the program does when no line is chosen.
class DiscardingTarget : public ScrapeTarget {
public:
    void setColumnText(std::string_view, std::string_view text) override { benchmark::DoNotOptimize(text.data()); }
    void setColumnInteger(std::string_view, std::int32_t) override { }
    ListChoice chooseFromList(const std::vector<std::string_view>&) override { return {}; }
    void usePlaceholderCover() override { }
    void setCoverExtension(std::string_view) override { }
};

std::string realisticPage()
{
    std::string page = "<HTML><HEAD><TITLE>Harbour Lights (1987)</TITLE></HEAD><BODY>\n"
                       "<IMG SRC=\"http://posters.imdb.com/Covers/harbour-lights.jpg\">\n"
                       "<B>Directed by</B><BR><A HREF=\"/Name?Quill,+Edda\">Edda Quill</A><BR>\n"
                       "<B>Genre:</B> <A HREF=\"/Sections/Genres/Drama/\">Drama</A> / "
                       "<A HREF=\"/Sections/Genres/Thriller/\">Thriller</A><BR>\n"
                       "<B>Tagline: </B> The sea keeps its secrets.<BR>\n"
                       "<B>Cast overview, first billed only:</B><TABLE>\n";
    for (int i = 0; page.size() < 90'000; ++i)
        page += "<TR><TD VALIGN=\"TOP\"><A HREF=\"/Name?Marsh,+Oren" + std::to_string(i)
            + "\">Oren Marsh</A></TD><TD NOWRAP> .... </TD><TD VALIGN=\"TOP\">Captain Rook</TD></TR>\n"
              "<TR><TD COLSPAN=\"3\">Trivia, quotes, goofs and other notes that a title page carries.</TD></TR>\n";
    page += "</TABLE><TR><TD><B>Runtime</B>: USA:112 / Norway:108</TD></TR>\n";
    page.append(100'000 - page.size() - 15, ' ');
    return page + "</BODY></HTML>\n";
}

// A page built to make quadratic scraping show: thousands of genre links and name links, neither
// closed by the character the scraper looks for next, and a running time of thousands of
// "/"-separated entries spanning the whole page.
std::string hostilePage(std::size_t size)
{
    std::string page = "<HTML><HEAD><TITLE>Hostile (2000)</TITLE></HEAD><BODY>Runtime</B>:"
                       "Cast overview, first billed only:";
    page.reserve(size + 64);
    const std::string chunk = "<A HREF=\"/Sections/Genres/Drama Film\">x</A> / "
                              "<A HREF=/Name?Doe,+Jane>y</A> NOWRAP VALIGN=\"TOP\">z</A> / ";
    while (page.size() + chunk.size() < size)
        page += chunk;
    return page + "</TD></BODY></HTML>";
}

void scrape(const std::string& page)
{
    DiscardingTarget target;
    URLDecoder decoder;
    benchmark::DoNotOptimize(TitlePageScraper(target, decoder).scrape(page));
}

void BM_ScrapeRealistic100KB(benchmark::State& state)
{
    const std::string page = realisticPage();
    for (auto _ : state)
        scrape(page);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_ScrapeRealistic100KB);

constexpr std::size_t kMegabyte = 1 << 20;

// Both read 16 MB per iteration: one page of 16 MB, or sixteen of 1 MB.
void BM_ScrapeHostile16MB(benchmark::State& state)
{
    const std::string page = hostilePage(16 * kMegabyte);
    for (auto _ : state)
        scrape(page);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_ScrapeHostile16MB)->Unit(benchmark::kMillisecond);

void BM_ScrapeHostile1MBx16(benchmark::State& state)
{
    const std::string page = hostilePage(kMegabyte);
    for (auto _ : state)
        for (int i = 0; i < 16; ++i)
            scrape(page);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * 16 * page.size()));
}
BENCHMARK(BM_ScrapeHostile1MBx16)->Unit(benchmark::kMillisecond);

// A megabyte of word-like text with a 34-byte needle at its end.
const std::string& fastPosText()
{
    static const std::string text = [] {
        std::mt19937 random(7);
        std::string t;
        t.reserve(kMegabyte);
        while (t.size() < kMegabyte - 34) {
            const int length = 2 + static_cast<int>(random() % 8);
            for (int i = 0; i < length; ++i)
                t += static_cast<char>('a' + random() % 26);
            t += ' ';
        }
        t.resize(kMegabyte - 34);
        return t + "Cast overview, first billed only:";
    }();
    return text;
}

void BM_FastPos(benchmark::State& state)
{
    const std::string& text = fastPosText();
    const std::string_view needle = std::string_view(text).substr(text.size() - 34);
    for (auto _ : state)
        benchmark::DoNotOptimize(FastPos(needle, text));
}
BENCHMARK(BM_FastPos);

void BM_Memmem(benchmark::State& state)
{
    const std::string& text = fastPosText();
    const std::string_view needle = std::string_view(text).substr(text.size() - 34);
    for (auto _ : state)
        benchmark::DoNotOptimize(memmem(text.data(), text.size(), needle.data(), needle.size()));
}
BENCHMARK(BM_Memmem);

const bool registered = [] {
    vantrelle::bench::compare("scrape.per_mb", "BM_ScrapeHostile16MB", "BM_ScrapeHostile1MBx16");
    vantrelle::bench::compare("fastpos", "BM_FastPos", "BM_Memmem");
    return true;
}();

} // namespace
