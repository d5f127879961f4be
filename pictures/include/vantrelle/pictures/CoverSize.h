#pragma once

// The size of a cover made from a picture file. The cover is shown at 100 x 140 and stored as an uncompressed
// bitmap with every save of its film: a photo of 3000 x 3000 pixels would store 9 MB each time.

#include "vantrelle/pictures/Bitmap.h"

#include <optional>

namespace vantrelle::pictures {

// A picture whose sides are both larger than this is scaled down to fit a square of this side.
inline constexpr int kMaxCoverSide = 600;

// The picture scaled down to fit kMaxCoverSide x kMaxCoverSide, keeping its proportions, as a 24-bit bitmap whose
// every pixel is the mean of the source pixels it covers; nullopt when one of its sides is kMaxCoverSide or less.
std::optional<TBitmap> shrunkCover(const TGraphic& picture);

} // namespace vantrelle::pictures
