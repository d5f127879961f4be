#include "vantrelle/pictures/ColorReduction.h"

#include "vantrelle/pictures/ColorLookup.h"
#include "vantrelle/pictures/ColorQuantizer.h"
#include "vantrelle/pictures/DIB.h"
#include "vantrelle/pictures/DitherEngine.h"

namespace vantrelle::pictures {

namespace {

constexpr int kQuantizedColors = 236;
constexpr int kFirstQuantizedEntry = 10;

} // namespace

LogicalPalette BuildOptimizedPalette(TBitmap& source)
{
    LogicalPalette palette;
    palette.entries.resize(256);
    for (std::size_t i = 0; i < 10; ++i) {
        palette.entries[i] = kSystemColors[i];
        palette.entries[246 + i] = kSystemColors[10 + i];
    }

    TColorQuantizer quantizer(kQuantizedColors, 8);
    const TDIBReader reader(source, 24);
    quantizer.process(reader);
    const std::vector<PaletteEntry> colours = quantizer.colorTable();
    for (std::size_t i = 0; i < colours.size(); ++i)
        palette.entries[kFirstQuantizedEntry + i] = colours[i];
    // Entries the quantizer leaves unfilled repeat entry 0: the lookup always prefers the lower index.
    for (std::size_t i = kFirstQuantizedEntry + colours.size(); i < kFirstQuantizedEntry + kQuantizedColors; ++i)
        palette.entries[i] = palette.entries[0];
    return palette;
}

std::unique_ptr<TBitmap> ReduceToPaletteBitmap(TBitmap& source, TReductionMode, TDitherKind)
{
    auto result = std::make_unique<TBitmap>();
    const TDIBReader reader(source, 24);
    const LogicalPalette palette = BuildOptimizedPalette(source);
    TFastColorLookup lookup(palette);
    TDitherEngine walker(source.width(), lookup);
    TDIBWriter writer(*result, palette, source.width(), source.height(), 8);
    for (int y = 0; y < source.height(); ++y) {
        const std::uint8_t* in = reader.scanLine(y);
        std::uint8_t* out = writer.scanLine(y);
        while (!walker.rowDone()) {
            const int x = walker.column();
            const std::uint8_t* pixel = in + 3 * x;
            out[x] = walker.dither(pixel[2], pixel[1], pixel[0]);
        }
        walker.nextLine();
    }
    writer.finish();
    return result;
}

} // namespace vantrelle::pictures
