#pragma once

#include "vantrelle/pictures/Bitmap.h"

namespace vantrelle::app {

// The cover given to a film whose title page has no poster: a grey film reel under a strip of film
// on white, 90 x 110 pixels, 8 bits per pixel with a 256-entry grey-scale palette (entry i is grey
// level i). Drawn here rather than shipped as a file.
pictures::TBitmap placeholderCover();

} // namespace vantrelle::app
