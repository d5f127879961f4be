#include "SamplePictures.h"

#include "JpegEncoder.h"

#include <algorithm>
#include <random>

namespace vantrelle::bench {

std::vector<std::uint8_t> photoLikeRgb(int width, int height, unsigned seed, int noise)
{
    std::vector<std::uint8_t> rgb(std::size_t(width) * height * 3);
    std::mt19937 random(seed);
    const auto channel = [&](int base) {
        return static_cast<std::uint8_t>(
            std::clamp(base + static_cast<int>(random() % (2 * noise + 1)) - noise, 0, 255));
    };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = &rgb[(std::size_t(y) * width + x) * 3];
            p[0] = channel(x * 255 / width);
            p[1] = channel(y * 255 / height);
            p[2] = channel((x + y) * 255 / (width + height));
        }
    return rgb;
}

std::vector<std::uint8_t> encodeJpeg(std::span<const std::uint8_t> rgb, int width, int height, int quality)
{
    const test::JpegOptions options { .width = width, .height = height, .quality = quality };
    return test::encodeJpegRows(options, 3, [&](int y) { return &rgb[std::size_t(y) * width * 3]; });
}

void decodeJpegBare(std::span<const std::uint8_t> file, J_COLOR_SPACE colorSpace,
    const std::function<JSAMPLE*(int width, int height, int y)>& rowAt)
{
    jpeg_decompress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = colorSpace;
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = rowAt(int(info.output_width), int(info.output_height), int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
}

} // namespace vantrelle::bench
