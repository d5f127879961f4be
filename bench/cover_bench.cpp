// The whole cover import of a 1000 x 1500 JPEG poster (head read, temporary copy, load by extension, decode,
// reduction to 256 colours) against the sum of its essential parts measured alone: a bare libjpeg decode of the
// same file from memory into a 24-bit bitmap, and ReduceToPaletteBitmap on that bitmap.
#include "BenchMain.h"
#include "SamplePictures.h"
#include "vantrelle/ScratchDir.h"

#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/pictures/ColorReduction.h"
#include "vantrelle/pictures/CoverImport.h"
#include "vantrelle/pictures/Picture.h"

#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using vantrelle::pictures::TBitmap;

constexpr int kWidth = 1000;
constexpr int kHeight = 1500;

std::vector<std::uint8_t> makePoster()
{
    return vantrelle::bench::encodeJpeg(vantrelle::bench::photoLikeRgb(kWidth, kHeight, 7), kWidth, kHeight, 85);
}

struct Fixture {
    vantrelle::ScratchDir dir { "cover-bench" };
    std::vector<std::uint8_t> poster;

    Fixture()
        : poster(makePoster())
    {
        std::ofstream(dir / "poster.jpg", std::ios::binary)
            .write(reinterpret_cast<const char*>(poster.data()), static_cast<std::streamsize>(poster.size()));
        vantrelle::bench::reportInfo("cover.poster_size", static_cast<double>(poster.size()) / 1024.0, "KiB");
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

// libjpeg straight into the bitmap's rows, blue-green-red as they are stored.
TBitmap decodeBare(const std::vector<std::uint8_t>& file)
{
    TBitmap bitmap;
    vantrelle::bench::decodeJpegBare(file, JCS_EXT_BGR, [&](int width, int height, int y) {
        if (y == 0)
            bitmap = TBitmap(width, height, 24);
        return bitmap.scanLine(y);
    });
    return bitmap;
}

double threadSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// The two are run in turn within each iteration and timed by this thread's processor time, so that other work
// on a busy machine weighs on neither side more than on the other.
void BM_CoverImportAgainstParts(benchmark::State& state)
{
    Fixture& f = fixture();
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(f.dir.path());
    double whole = 0, parts = 0;
    for (auto _ : state) {
        double start = threadSeconds();
        {
            vantrelle::pictures::TPicture picture;
            std::string extension;
            vantrelle::pictures::ImportCoverFile(picture, extension, "poster.jpg");
            benchmark::DoNotOptimize(picture.graphic());
        }
        whole += threadSeconds() - start;

        start = threadSeconds();
        {
            TBitmap decoded = decodeBare(f.poster);
            auto reduced = vantrelle::pictures::ReduceToPaletteBitmap(decoded,
                vantrelle::pictures::TReductionMode::OptimalWithSystemColors,
                vantrelle::pictures::TDitherKind::NearestColor);
            benchmark::DoNotOptimize(reduced);
        }
        parts += threadSeconds() - start;
    }
    std::filesystem::current_path(previous);
    const double iterations = double(state.iterations());
    vantrelle::bench::reportInfo("cover.import_whole", whole / iterations * 1e3, "ms");
    vantrelle::bench::reportInfo("cover.import_parts", parts / iterations * 1e3, "ms");
    vantrelle::bench::reportRatio("cover.import", whole / parts);
}
// A fixed iteration count: the function runs once, so each line is reported once.
BENCHMARK(BM_CoverImportAgainstParts)->Unit(benchmark::kMillisecond)->Iterations(30);

} // namespace
