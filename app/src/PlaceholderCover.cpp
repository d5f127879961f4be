#include "vantrelle/app/PlaceholderCover.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vantrelle::app {

namespace {

constexpr int kCoverWidth = 90;
constexpr int kCoverHeight = 110;
constexpr int kWhite = 255;

// The drawing, as the grey level at a point of the picture (pixel units, y down).
int greyAt(double x, double y)
{
    // A strip of film across the top, with a row of sprocket holes along each edge.
    if (x >= 10 && x < 80 && y >= 8 && y < 28) {
        const bool holeColumn = std::fmod(x - 13, 8.0) < 4;
        if (holeColumn && ((y >= 10 && y < 13) || (y >= 23 && y < 26)))
            return kWhite;
        if (x >= 14 && x < 76 && y >= 15 && y < 21)
            return 200;
        return 90;
    }
    // The reel: a dark rim, a lighter disc with six round windows, a dark hub around the spindle.
    const double dx = x - 45;
    const double dy = y - 70;
    const double radius = std::hypot(dx, dy);
    if (radius >= 34)
        return kWhite;
    if (radius >= 31)
        return 60;
    if (radius < 2.5)
        return kWhite;
    if (radius < 6)
        return 60;
    for (int window = 0; window < 6; ++window) {
        const double angle = window * std::numbers::pi / 3;
        if (std::hypot(dx - 18 * std::cos(angle), dy - 18 * std::sin(angle)) < 8)
            return kWhite;
    }
    return 150;
}

} // namespace

pictures::TBitmap placeholderCover()
{
    pictures::TBitmap cover(kCoverWidth, kCoverHeight, 8);
    std::vector<pictures::PaletteEntry> greys(256);
    for (int level = 0; level < 256; ++level) {
        const auto grey = static_cast<std::uint8_t>(level);
        greys[static_cast<std::size_t>(level)] = { grey, grey, grey, 0 };
    }
    cover.setPalette(std::move(greys));

    // Four by four samples per pixel smooth the edges; the mean is kept to steps of 8 grey levels.
    constexpr int kSamples = 4;
    for (int y = 0; y < kCoverHeight; ++y) {
        std::uint8_t* row = cover.scanLine(y);
        for (int x = 0; x < kCoverWidth; ++x) {
            int sum = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx)
                    sum += greyAt(x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples);
            }
            const int mean = sum / (kSamples * kSamples);
            row[x] = static_cast<std::uint8_t>(std::min(kWhite, (mean + 4) / 8 * 8));
        }
    }
    return cover;
}

} // namespace vantrelle::app
