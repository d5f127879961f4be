#include "vantrelle/pictures/ColorReduction.h"

#include "vantrelle/pictures/ColorLookup.h"
#include "vantrelle/pictures/ColorQuantizer.h"
#include "vantrelle/pictures/DIB.h"
#include "vantrelle/pictures/DitherEngine.h"

namespace vantrelle::pictures {

namespace {

constexpr int kQuantizedColors = 236;
constexpr int kFirstQuantizedEntry = 10;

LogicalPalette optimizedPalette(const TDIBReader& reader)
{
    LogicalPalette palette;
    palette.entries.resize(256);
    for (std::size_t i = 0; i < 10; ++i) {
        palette.entries[i] = kSystemColors[i];
        palette.entries[246 + i] = kSystemColors[10 + i];
    }

    TColorQuantizer quantizer(kQuantizedColors, 8);
    quantizer.process(reader);
    const std::vector<PaletteEntry> colours = quantizer.colorTable();
    for (std::size_t i = 0; i < colours.size(); ++i)
        palette.entries[kFirstQuantizedEntry + i] = colours[i];
    // Entries the quantizer leaves unfilled repeat entry 0: the lookup always prefers the lower index.
    for (std::size_t i = kFirstQuantizedEntry + colours.size(); i < kFirstQuantizedEntry + kQuantizedColors; ++i)
        palette.entries[i] = palette.entries[0];
    return palette;
}

// The reduction of a picture of 24 bits per pixel.
std::unique_ptr<TBitmap> reduce(const TDIBReader& reader)
{
    auto result = std::make_unique<TBitmap>();
    const LogicalPalette palette = optimizedPalette(reader);
    TFastColorLookup lookup(palette);
    const int width = reader.width();
    TDitherEngine walker(width, lookup);
    TDIBWriter writer(*result, palette, width, reader.height(), 8);
    for (int y = 0; y < reader.height(); ++y) {
        const std::uint8_t* in = reader.scanLine(y);
        std::uint8_t* out = writer.scanLine(y);
        // The walker's order with the lookup's inline table read: nearest colours carry no error from
        // pixel to pixel, and a call per pixel through the walker would cost more than the lookup.
        const int step = walker.direction();
        for (int x = walker.column(); x >= 0 && x < width; x += step) {
            const std::uint8_t* pixel = in + 3 * x;
            out[x] = lookup.index(pixel[2], pixel[1], pixel[0]);
        }
        walker.nextLine();
    }
    writer.finish();
    return result;
}

} // namespace

LogicalPalette BuildOptimizedPalette(TBitmap& source)
{
    const TDIBReader reader(source, 24);
    return optimizedPalette(reader);
}

std::unique_ptr<TBitmap> ReduceToPaletteBitmap(TBitmap& source, TReductionMode, TDitherKind)
{
    const TDIBReader reader(source, 24);
    return reduce(reader);
}

std::unique_ptr<TBitmap> ReduceToPaletteBitmap(const TBitmap& source, TReductionMode mode, TDitherKind ditherKind)
{
    if (source.bitsPerPixel() == 24) {
        const TDIBReader reader(source);
        return reduce(reader);
    }
    TBitmap converted = source;
    return ReduceToPaletteBitmap(converted, mode, ditherKind);
}

} // namespace vantrelle::pictures
