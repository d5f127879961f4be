// The whole cover import of a 1000 x 1500 JPEG poster (head read, temporary copy, load by extension, decode,
// reduction to 256 colours) against the sum of its essential parts measured alone: a bare libjpeg decode of the
// same file from memory into a 24-bit bitmap, and ReduceToPaletteBitmap on that bitmap.
#include "BenchMain.h"

#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/pictures/ColorReduction.h"
#include "vantrelle/pictures/CoverImport.h"
#include "vantrelle/pictures/Picture.h"

#include <benchmark/benchmark.h>

#include <jpeglib.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using vantrelle::pictures::TBitmap;

constexpr int Width = 1000;
constexpr int Height = 1500;

// Smooth gradients with noise, as a photograph gives: many colours for the quantizer, real work for the decoder.
std::vector<std::uint8_t> makePoster()
{
    std::vector<std::uint8_t> rgb(std::size_t(Width) * Height * 3);
    std::mt19937 random(7);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            auto channel = [&](int base) {
                return static_cast<std::uint8_t>(std::clamp(base + static_cast<int>(random() % 17) - 8, 0, 255));
            };
            std::uint8_t* p = &rgb[(std::size_t(y) * Width + x) * 3];
            p[0] = channel(x * 255 / Width);
            p[1] = channel(y * 255 / Height);
            p[2] = channel((x + y) * 255 / (Width + Height));
        }

    jpeg_compress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = Width;
    info.image_height = Height;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 85, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = &rgb[std::size_t(info.next_scanline) * Width * 3];
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<std::uint8_t> file(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return file;
}

struct Fixture {
    std::filesystem::path dir;
    std::vector<std::uint8_t> poster;

    Fixture()
        : dir(std::filesystem::temp_directory_path() / ("vantrelle-cover-bench-" + std::to_string(getpid())))
        , poster(makePoster())
    {
        std::filesystem::create_directories(dir);
        std::ofstream(dir / "poster.jpg", std::ios::binary)
            .write(reinterpret_cast<const char*>(poster.data()), static_cast<std::streamsize>(poster.size()));
        vantrelle::bench::reportInfo("cover.poster_size", static_cast<double>(poster.size()) / 1024.0, "KiB");
    }
    ~Fixture() { std::filesystem::remove_all(dir); }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

// libjpeg straight into the bitmap's rows, blue-green-red as they are stored.
TBitmap decodeBare(const std::vector<std::uint8_t>& file)
{
    jpeg_decompress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), file.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    TBitmap bitmap(int(info.output_width), int(info.output_height), 24);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = bitmap.ScanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
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
    std::filesystem::current_path(f.dir);
    double whole = 0, parts = 0;
    for (auto _ : state) {
        double start = threadSeconds();
        {
            vantrelle::pictures::TPicture picture;
            std::string extension;
            vantrelle::pictures::ImportCoverFile(picture, extension, "poster.jpg");
            benchmark::DoNotOptimize(picture.Graphic());
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
