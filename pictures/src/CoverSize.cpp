#include "vantrelle/pictures/CoverSize.h"

#include "ShownBitmap.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace vantrelle::pictures {

namespace {

// The first source row or column that target row or column `index` of `targetSize` covers.
int sourceStart(int index, int sourceSize, int targetSize)
{
    return static_cast<int>(std::int64_t { index } * sourceSize / targetSize);
}

} // namespace

std::optional<TBitmap> shrunkCover(const TGraphic& picture)
{
    const int width = picture.width();
    const int height = picture.height();
    if (width <= kMaxCoverSide || height <= kMaxCoverSide)
        return std::nullopt;
    const TBitmap source = bitmapOf(picture);
    // The longer side becomes kMaxCoverSide; the shorter one keeps the proportion, rounded.
    const int longer = std::max(width, height);
    const auto scaled = [longer](int side) {
        return std::max(1, static_cast<int>((std::int64_t { side } * kMaxCoverSide + longer / 2) / longer));
    };
    TBitmap shrunk(scaled(width), scaled(height), 24);

    // Each target pixel is the box of source pixels it covers: the sums of a target row are gathered over its
    // source rows, then divided by the box's size.
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(shrunk.width()) * 3);
    for (int y = 0; y < shrunk.height(); ++y) {
        const int top = sourceStart(y, height, shrunk.height());
        const int bottom = sourceStart(y + 1, height, shrunk.height());
        std::fill(sums.begin(), sums.end(), 0);
        for (int sourceY = top; sourceY < bottom; ++sourceY) {
            for (int x = 0; x < shrunk.width(); ++x) {
                const int left = sourceStart(x, width, shrunk.width());
                const int right = sourceStart(x + 1, width, shrunk.width());
                for (int sourceX = left; sourceX < right; ++sourceX) {
                    const PaletteEntry colour = source.pixelColor(sourceX, sourceY);
                    sums[3 * x] += colour.blue;
                    sums[3 * x + 1] += colour.green;
                    sums[3 * x + 2] += colour.red;
                }
            }
        }
        std::uint8_t* row = shrunk.scanLine(y);
        for (int x = 0; x < shrunk.width(); ++x) {
            const auto area = static_cast<std::uint32_t>(
                (bottom - top) * (sourceStart(x + 1, width, shrunk.width()) - sourceStart(x, width, shrunk.width())));
            for (int channel = 0; channel < 3; ++channel)
                row[3 * x + channel] = static_cast<std::uint8_t>((sums[3 * x + channel] + area / 2) / area);
        }
    }
    return shrunk;
}

} // namespace vantrelle::pictures
