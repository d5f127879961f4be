// The window on a catalogue of 20,000 films with 30 KB covers, as a user starts it: the time from the program's
// start until the window has drawn itself, and its peak resident memory by then, against a bare Qt list of the
// same IDs and titles read through the title index. Each start is a new process (show_window) on the offscreen
// platform; both sides take turns.
#include "BenchMain.h"
#include "FilmCatalogue.h"
#include "vantrelle/ScratchDir.h"

#include "vantrelle/pictures/Bitmap.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kFilms = 20000;
constexpr int kStarts = 5;

// An 8-bit cover of about 30 KB, as the window stores a reduced poster: a 256-colour palette and noise.
std::vector<std::uint8_t> coverBytes()
{
    vantrelle::pictures::TBitmap cover(154, 196, 8);
    std::vector<vantrelle::pictures::PaletteEntry> palette(256);
    for (int i = 0; i < 256; ++i)
        palette[std::size_t(i)] = { std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i * 7) };
    cover.setPalette(palette);
    std::mt19937 random(3);
    for (std::uint8_t& pixel : cover.pixels())
        pixel = std::uint8_t(random());
    return cover.saveToBytes();
}

// The catalogue and the folders the started windows take for their settings, cache and data, made once per run.
class Setting {
public:
    Setting()
        : m_folder("window-bench")
        , m_file(m_folder / "Movies.mdb")
    {
        vantrelle::bench::makeFilmCatalogue(m_file, kFilms, coverBytes());
        // The user's own settings, poster cache and title index stay out of it.
        for (const char* variable : { "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR" }) {
            const fs::path folder = m_folder / variable;
            fs::create_directory(folder);
            fs::permissions(folder, fs::perms::owner_all); // as a runtime folder must be
            setenv(variable, folder.c_str(), 1);
        }
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }

    const fs::path& file() const { return m_file; }

private:
    vantrelle::ScratchDir m_folder;
    fs::path m_file;
};

const Setting& setting()
{
    static const Setting instance;
    return instance;
}

struct Start {
    double seconds = 0; // from the start of the process until the window has drawn itself
    double peakMegabytes = 0;
};

// Starts `show_window WHICH FILE` and waits for its line.
Start startWindow(const char* which)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        throw std::runtime_error("pipe failed");
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        execl(VANTRELLE_SHOW_WINDOW, VANTRELLE_SHOW_WINDOW, which, setting().file().c_str(), nullptr);
        _exit(127);
    }
    close(pipeEnds[1]);
    FILE* out = fdopen(pipeEnds[0], "r");
    long peakKilobytes = 0;
    const bool shown = std::fscanf(out, "shown %ld", &peakKilobytes) == 1;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fclose(out);
    int status = 0;
    waitpid(child, &status, 0);
    if (!shown)
        throw std::runtime_error(std::string("show_window ") + which + " did not show its window");
    return { seconds, peakKilobytes / 1024.0 };
}

// Ours and the reference in turns, so that a change of the machine's load falls on both alike.
void BM_WindowAppears(benchmark::State& state)
{
    setting();
    startWindow("vantrelle"); // the first start reads the program and the catalogue from disk
    std::vector<double> ours, plain;
    double peak = 0;
    for (auto _ : state) {
        const Start start = startWindow("vantrelle");
        ours.push_back(start.seconds);
        peak = std::max(peak, start.peakMegabytes);
        plain.push_back(startWindow("plain").seconds);
        state.SetIterationTime(start.seconds);
    }
    using vantrelle::bench::median;
    vantrelle::bench::reportInfo("window.appear_ms", median(ours) * 1e3, "ms");
    vantrelle::bench::reportInfo("window.peak_rss_mb", peak, "MiB");
    vantrelle::bench::reportRatio("window.appear", median(ours) / median(plain));
}
BENCHMARK(BM_WindowAppears)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(kStarts);

} // namespace
