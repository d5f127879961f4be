#pragma once

#include <QIcon>
#include <QImage>

namespace vantrelle::app {

enum class Glyph { CheckMark, Cross };

// The button glyph as a 36 x 18 bitmap of 16 colours: the normal image on the
// left, the disabled one on the right. The colour of the bottom-left pixel stands
// for transparency.
QImage glyphBitmap(Glyph glyph);

// The glyph as an icon: the bitmap's halves as the normal and disabled images,
// with the bottom-left pixel's colour made transparent.
QIcon glyphIcon(Glyph glyph);

} // namespace vantrelle::app
