// Decoding a 1000 x 1500 GIF: TGIFGraphic against giflib's DGifSlurp on the same bytes.
#include "BenchMain.h"

#include "vantrelle/pictures/GIFImage.h"

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <stdexcept>
#include <vector>

namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 1500;

// A photograph-like picture of 256 colours (soft gradients with a little noise), encoded by giflib.
const std::vector<std::uint8_t>& gifFile()
{
    static const std::vector<std::uint8_t> file = [] {
        std::vector<std::uint8_t> bytes;
        int error = 0;
        GifFileType* gif = EGifOpen(
            &bytes,
            [](GifFileType* g, const GifByteType* data, int length) {
                auto* out = static_cast<std::vector<std::uint8_t>*>(g->UserData);
                out->insert(out->end(), data, data + length);
                return length;
            },
            &error);
        if (!gif)
            throw std::runtime_error("EGifOpen failed");
        GifColorType colours[256];
        for (int i = 0; i < 256; ++i)
            colours[i] = { GifByteType(i), GifByteType(255 - i), GifByteType((i * 7) & 0xFF) };
        ColorMapObject* map = GifMakeMapObject(256, colours);
        EGifPutScreenDesc(gif, kWidth, kHeight, 8, 0, map);
        EGifPutImageDesc(gif, 0, 0, kWidth, kHeight, false, nullptr);
        std::mt19937 random(7);
        std::vector<GifPixelType> row(kWidth);
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x)
                row[std::size_t(x)] = GifPixelType((x / 5 + y / 7 + int(random() % 3)) & 0xFF);
            EGifPutLine(gif, row.data(), kWidth);
        }
        GifFreeMapObject(map);
        EGifCloseFile(gif, &error);
        return bytes;
    }();
    return file;
}

void BM_GIFGraphic(benchmark::State& state)
{
    const auto& file = gifFile();
    for (auto _ : state) {
        vantrelle::pictures::TGIFGraphic image;
        vantrelle::pictures::Stream stream(file);
        image.loadFromStream(stream);
        benchmark::DoNotOptimize(image.frames().front()->pixels.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(file.size()));
}

struct MemoryReader {
    const std::vector<std::uint8_t>* bytes;
    std::size_t position;
};

void BM_Giflib(benchmark::State& state)
{
    const auto& file = gifFile();
    for (auto _ : state) {
        MemoryReader reader { &file, 0 };
        int error = 0;
        GifFileType* gif = DGifOpen(
            &reader,
            [](GifFileType* g, GifByteType* data, int length) {
                auto* r = static_cast<MemoryReader*>(g->UserData);
                const std::size_t n = std::min<std::size_t>(std::size_t(length), r->bytes->size() - r->position);
                std::memcpy(data, r->bytes->data() + r->position, n);
                r->position += n;
                return int(n);
            },
            &error);
        if (!gif || DGifSlurp(gif) != GIF_OK)
            state.SkipWithError("giflib failed");
        benchmark::DoNotOptimize(gif->SavedImages[0].RasterBits);
        DGifCloseFile(gif, &error);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(file.size()));
}

BENCHMARK(BM_GIFGraphic)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Giflib)->Unit(benchmark::kMillisecond);

const bool registered = (vantrelle::bench::compare("gif.decode", "BM_GIFGraphic", "BM_Giflib"), true);

} // namespace
