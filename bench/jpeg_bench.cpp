// Decoding a 1000 x 1500 JPEG into our bitmap against a bare libjpeg-turbo decompression of the same file.
#include "BenchMain.h"
#include "SamplePictures.h"

#include "vantrelle/pictures/JPEGImage.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 1500;

// A photograph-like colour picture at quality 90.
const std::vector<std::uint8_t>& jpegFile()
{
    static const std::vector<std::uint8_t> file
        = vantrelle::bench::encodeJpeg(vantrelle::bench::photoLikeRgb(kWidth, kHeight, 11), kWidth, kHeight, 90);
    return file;
}

void BM_JPEGImage(benchmark::State& state)
{
    const auto& file = jpegFile();
    for (auto _ : state) {
        vantrelle::pictures::TJPEGImage image;
        vantrelle::pictures::Stream stream(file);
        image.loadFromStream(stream);
        benchmark::DoNotOptimize(image.Bitmap().pixels().data());
    }
}

void BM_BareLibjpeg(benchmark::State& state)
{
    const auto& file = jpegFile();
    std::vector<JSAMPLE> pixels(std::size_t(kWidth) * kHeight * 3);
    for (auto _ : state) {
        vantrelle::bench::decodeJpegBare(
            file, JCS_RGB, [&](int, int, int y) { return pixels.data() + std::size_t(y) * kWidth * 3; });
        benchmark::DoNotOptimize(pixels.data());
    }
}

BENCHMARK(BM_JPEGImage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareLibjpeg)->Unit(benchmark::kMillisecond);

const bool registered = (vantrelle::bench::compare("jpeg.decode", "BM_JPEGImage", "BM_BareLibjpeg"), true);

} // namespace
