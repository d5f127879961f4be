#pragma once

#include "vantrelle/pictures/Bitmap.h"

namespace vantrelle::pictures {

// The bitmap that a picture other than a bitmap shows (a JPEG's or GIF's pixels, a metafile rendered, an icon
// drawn on white); empty for an empty one. Fails with EConvertError for a kind that cannot be shown as one.
TBitmap bitmapOf(const TGraphic& source);

} // namespace vantrelle::pictures
