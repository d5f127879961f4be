#pragma once

// Makes JPEG files with bare libjpeg, for the tests and the benchmarks.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include <jpeglib.h>

namespace vantrelle::test {

struct JpegOptions {
    int width = 8;
    int height = 8;
    J_COLOR_SPACE colorSpace = JCS_RGB; // JCS_RGB, JCS_GRAYSCALE or JCS_CMYK
    bool progressive = false;
    bool jfif = true; // false: an Exif marker instead of the JFIF one
    int quality = 95;
};

// Row `y` from the top is read where `rowAt(y)` points: `components` samples per pixel, in the
// colour space's order.
inline std::vector<std::uint8_t> encodeJpegRows(
    const JpegOptions& options, int components, const std::function<const std::uint8_t*(int y)>& rowAt)
{
    jpeg_compress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(options.width);
    info.image_height = JDIMENSION(options.height);
    info.input_components = components;
    info.in_color_space = options.colorSpace;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, options.quality, TRUE);
    info.write_JFIF_header = options.jfif ? TRUE : FALSE;
    if (options.progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    if (!options.jfif) {
        static const JOCTET exif[] = { 'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0 };
        jpeg_write_marker(&info, JPEG_APP0 + 1, exif, sizeof exif);
    }
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[1] = { const_cast<JSAMPLE*>(rowAt(int(info.next_scanline))) };
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<std::uint8_t> file(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return file;
}

// Every pixel gets `sample` (one value per component).
inline std::vector<std::uint8_t> encodeJpeg(const JpegOptions& options, std::vector<std::uint8_t> sample)
{
    std::vector<std::uint8_t> row(std::size_t(options.width) * sample.size());
    for (std::size_t i = 0; i < row.size(); ++i)
        row[i] = sample[i % sample.size()];
    return encodeJpegRows(options, int(sample.size()), [&row](int) { return row.data(); });
}

} // namespace vantrelle::test
