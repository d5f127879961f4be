// Reducing a 1000 x 1500 true-colour picture to 256 colours, end to end as whole processes on the same
// 24-bit BMP file: `vantrelle-tool reduce` against ImageMagick's `convert IN -dither None -colors 256 OUT`.
// Also the in-process throughput of ReduceToPaletteBitmap and the tool's peak memory.
#include "BenchMain.h"
#include "Processes.h"
#include "SamplePictures.h"
#include "vantrelle/ScratchDir.h"

#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/pictures/ColorReduction.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

using vantrelle::pictures::TBitmap;

constexpr int kWidth = 1000;
constexpr int kHeight = 1500;

// A photograph-like spread of several hundred thousand colours, stored blue-green-red.
TBitmap makePicture()
{
    const std::vector<std::uint8_t> rgb = vantrelle::bench::photoLikeRgb(kWidth, kHeight, 42, 16);
    TBitmap picture(kWidth, kHeight, 24);
    for (int y = 0; y < kHeight; ++y) {
        std::uint8_t* row = picture.scanLine(y);
        for (int x = 0; x < kWidth; ++x) {
            const std::uint8_t* p = &rgb[(std::size_t(y) * kWidth + x) * 3];
            row[3 * x] = p[2];
            row[3 * x + 1] = p[1];
            row[3 * x + 2] = p[0];
        }
    }
    return picture;
}

struct Fixture {
    vantrelle::ScratchDir dir { "reduce-bench" };
    std::filesystem::path input;
    TBitmap picture;

    Fixture()
        : input(dir / "picture.bmp")
        , picture(makePicture())
    {
        picture.saveToFile(input.string());
        std::unordered_set<std::uint32_t> colours;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const std::uint8_t* p = picture.scanLine(y) + 3 * x;
                colours.insert(p[0] | (p[1] << 8) | (p[2] << 16));
            }
        vantrelle::bench::reportInfo("reduce.distinct_colours", static_cast<double>(colours.size()), "colours");
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

using vantrelle::bench::runProcess;

void BM_ReduceTool(benchmark::State& state)
{
    Fixture& f = fixture();
    const std::string output = (f.dir / "ours.bmp").string();
    for (auto _ : state) {
        if (!runProcess({ VANTRELLE_TOOL, "reduce", f.input.string(), output })) {
            state.SkipWithError("vantrelle-tool reduce failed");
            return;
        }
    }
    // A child's peak memory counts the parent's pages at the fork, so the peak is taken, untimed, by GNU
    // time, a small process of its own.
    const std::filesystem::path peakFile = f.dir / "peak.txt";
    if (runProcess({ "/usr/bin/time", "-f", "%M", "-o", peakFile.string(), VANTRELLE_TOOL, "reduce", f.input.string(),
            output })) {
        std::ifstream in(peakFile);
        double kilobytes = 0;
        if (in >> kilobytes)
            vantrelle::bench::reportInfo("reduce.tool_peak_memory", kilobytes / 1024.0, "MiB");
    }
    vantrelle::bench::reportInfo(
        "reduce.picture_memory", static_cast<double>(f.picture.pixels().size()) / (1024.0 * 1024.0), "MiB");
}
// Fixed iteration counts: each benchmark function runs once, so each info line is reported once.
BENCHMARK(BM_ReduceTool)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_ImageMagickConvert(benchmark::State& state)
{
    Fixture& f = fixture();
    const std::string output = (f.dir / "imagemagick.bmp").string();
    for (auto _ : state) {
        if (!runProcess({ "convert", f.input.string(), "-dither", "None", "-colors", "256", output })) {
            state.SkipWithError("ImageMagick convert failed (is imagemagick installed?)");
            return;
        }
    }
}
BENCHMARK(BM_ImageMagickConvert)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_ReduceInProcess(benchmark::State& state)
{
    Fixture& f = fixture();
    std::chrono::duration<double> reducing {};
    for (auto _ : state) {
        state.PauseTiming();
        TBitmap source = f.picture;
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        auto result = vantrelle::pictures::ReduceToPaletteBitmap(source,
            vantrelle::pictures::TReductionMode::OptimalWithSystemColors,
            vantrelle::pictures::TDitherKind::NearestColor);
        reducing += std::chrono::steady_clock::now() - start;
        benchmark::DoNotOptimize(result);
    }
    vantrelle::bench::reportInfo("reduce.throughput",
        static_cast<double>(state.iterations()) * kWidth * kHeight / 1e6 / reducing.count(), "Mpixel/s");
}
BENCHMARK(BM_ReduceInProcess)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

[[maybe_unused]] const bool registered = [] {
    vantrelle::bench::compare("reduce.vs_imagemagick", "BM_ReduceTool/iterations:5/real_time",
        "BM_ImageMagickConvert/iterations:5/real_time");
    return true;
}();

} // namespace
