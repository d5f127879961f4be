#pragma once

#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/pictures/Palette.h"

#include <memory>

namespace vantrelle::pictures {

// How a picture of more than 8 bits per pixel is brought down to a palette.
enum class TReductionMode {
    // A 256-colour palette: the 20 system colours, ten at each end, and up to 236 colours chosen
    // for the picture by an octree quantizer between them.
    OptimalWithSystemColors,
};

// How each pixel is given its palette index.
enum class TDitherKind {
    // The nearest palette colour, no error diffusion.
    NearestColor,
};

// The 256-entry palette of OptimalWithSystemColors for a picture; the source is converted in place
// to 24 bits per pixel. Entries the quantizer leaves unfilled repeat entry 0, so no lookup picks them.
LogicalPalette BuildOptimizedPalette(TBitmap& source);

// A new 8-bit bitmap with a 256-colour palette showing the source. The source is converted in
// place to 24 bits per pixel. On failure nothing made here survives and the failure propagates
// ("Invalid image dimensions" for a source without pixels).
std::unique_ptr<TBitmap> ReduceToPaletteBitmap(TBitmap& source, TReductionMode mode, TDitherKind ditherKind);
// The same for a source that stays as it is: one of 24 bits per pixel is read where it stands, one of
// another depth through a converted copy.
std::unique_ptr<TBitmap> ReduceToPaletteBitmap(const TBitmap& source, TReductionMode mode, TDitherKind ditherKind);

} // namespace vantrelle::pictures
