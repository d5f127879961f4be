// Decoding a 1000 x 1500 JPEG into our bitmap against a bare libjpeg-turbo decompression of the same file.
#include "BenchMain.h"

#include "vantrelle/pictures/JPEGImage.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include <jpeglib.h>

namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 1500;

// A photograph-like colour picture (gradients and noise) at quality 90.
const std::vector<std::uint8_t>& jpegFile()
{
    static const std::vector<std::uint8_t> file = [] {
        jpeg_compress_struct info {};
        jpeg_error_mgr errors {};
        info.err = jpeg_std_error(&errors);
        jpeg_create_compress(&info);
        unsigned char* buffer = nullptr;
        unsigned long size = 0;
        jpeg_mem_dest(&info, &buffer, &size);
        info.image_width = kWidth;
        info.image_height = kHeight;
        info.input_components = 3;
        info.in_color_space = JCS_RGB;
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, 90, TRUE);
        jpeg_start_compress(&info, TRUE);
        std::mt19937 random(11);
        std::vector<JSAMPLE> row(kWidth * 3);
        while (info.next_scanline < info.image_height) {
            const int y = int(info.next_scanline);
            for (int x = 0; x < kWidth; ++x) {
                row[std::size_t(3 * x)] = JSAMPLE((x * 255 / kWidth + random() % 16) & 0xFF);
                row[std::size_t(3 * x + 1)] = JSAMPLE((y * 255 / kHeight + random() % 16) & 0xFF);
                row[std::size_t(3 * x + 2)] = JSAMPLE(((x + y) / 10 + random() % 16) & 0xFF);
            }
            JSAMPROW rows[1] = { row.data() };
            jpeg_write_scanlines(&info, rows, 1);
        }
        jpeg_finish_compress(&info);
        std::vector<std::uint8_t> bytes(buffer, buffer + size);
        jpeg_destroy_compress(&info);
        std::free(buffer);
        return bytes;
    }();
    return file;
}

void BM_JPEGImage(benchmark::State& state)
{
    const auto& file = jpegFile();
    for (auto _ : state) {
        vantrelle::pictures::TJPEGImage image;
        vantrelle::pictures::TStream stream(file);
        image.LoadFromStream(stream);
        benchmark::DoNotOptimize(image.Bitmap().Pixels().data());
    }
}

void BM_BareLibjpeg(benchmark::State& state)
{
    const auto& file = jpegFile();
    std::vector<JSAMPLE> pixels(std::size_t(kWidth) * kHeight * 3);
    for (auto _ : state) {
        jpeg_decompress_struct info {};
        jpeg_error_mgr errors {};
        info.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, file.data(), file.size());
        jpeg_read_header(&info, TRUE);
        jpeg_start_decompress(&info);
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = pixels.data() + std::size_t(info.output_scanline) * kWidth * 3;
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
        benchmark::DoNotOptimize(pixels.data());
    }
}

BENCHMARK(BM_JPEGImage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareLibjpeg)->Unit(benchmark::kMillisecond);

const bool registered = (vantrelle::bench::compare("jpeg.decode", "BM_JPEGImage", "BM_BareLibjpeg"), true);

} // namespace
