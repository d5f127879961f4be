#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include <cstdio> // jpeglib.h needs FILE
#include <jpeglib.h>

namespace vantrelle::bench {

// A photograph-like picture: smooth gradients with noise of up to +-noise per channel, so many colours
// for a quantizer and real work for a decoder. Red, green, blue per pixel, rows from the top.
std::vector<std::uint8_t> photoLikeRgb(int width, int height, unsigned seed, int noise = 8);

// The picture as a baseline JPEG file of the given quality.
std::vector<std::uint8_t> encodeJpeg(std::span<const std::uint8_t> rgb, int width, int height, int quality);

// A bare libjpeg decompression of `file` in `colorSpace`, each row written where `rowAt(y)` points:
// the reference that our decoding is measured against.
void decodeJpegBare(std::span<const std::uint8_t> file, J_COLOR_SPACE colorSpace,
    const std::function<JSAMPLE*(int width, int height, int y)>& rowAt);

} // namespace vantrelle::bench
