#pragma once

#include <QImage>

namespace vantrelle::pictures {
class TBitmap;
class TGraphic;
} // namespace vantrelle::pictures

namespace vantrelle::app {

// The bitmap as a QImage of the same size: palette depths (1, 4, 8 bits) become an indexed image
// carrying the palette (an index past the palette's end is black), 24 bits stay blue-green-red
// bytes, 16 and 32 bits go through their colour masks. A null image for an empty bitmap.
QImage toQImage(const pictures::TBitmap& bitmap);

// The image as a bitmap: a two-colour image gives 1 bit per pixel, an indexed image 8 bits with its
// colour table as palette, anything else 24 bits. Transparency is dropped. An empty bitmap for a
// null image.
pictures::TBitmap fromQImage(const QImage& image);

// What a graphic of any kind looks like: a bitmap as above, a JPEG or GIF picture through its
// decoded bitmap, an icon through its largest image. A null image for an empty graphic and for the
// kinds that cannot be drawn here (metafiles). Throws when the graphic's data cannot be decoded.
QImage graphicImage(const pictures::TGraphic& graphic);

} // namespace vantrelle::app
