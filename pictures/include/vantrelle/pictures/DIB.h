#pragma once

#include "vantrelle/Error.h"
#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/pictures/Palette.h"

#include <cstdint>

namespace vantrelle::pictures {

// Memory for a picture could not be had ("Failed to allocate memory for GIF DIB").
class EOutOfMemory : public vantrelle::Error {
public:
    using vantrelle::Error::Error;
};

// Row access to a bitmap in one pixel format; row 0 is the top row.
class TDIB {
public:
    virtual ~TDIB() = default;
    TDIB(const TDIB&) = delete;
    TDIB& operator=(const TDIB&) = delete;

protected:
    TDIB() = default;
};

// Makes its bitmap take a pixel format, converting the bitmap in place, and then reads its rows.
class TDIBReader : public TDIB {
public:
    TDIBReader(TBitmap& bitmap, int bitsPerPixel);
    // Reads a bitmap in the pixel format that it has, leaving it as it is.
    explicit TDIBReader(const TBitmap& bitmap);

    const std::uint8_t* scanLine(int row) const { return m_bitmap.scanLine(row); }
    int width() const { return m_bitmap.width(); }
    int height() const { return m_bitmap.height(); }

private:
    const TBitmap& m_bitmap;
};

// Collects the rows of a new picture of 8 bits per pixel with a palette and, on finish(), hands it
// to its bitmap as a BMP file of that picture would load: 256 colours (the palette's, black past
// its end), colours important = the palette's entry count, no resolution. The pixel buffer is made
// on the first row request.
class TDIBWriter : public TDIB {
public:
    // "Invalid image dimensions" (on the first row request) when width or height is 0.
    TDIBWriter(TBitmap& bitmap, const LogicalPalette& palette, int width, int height, int bitsPerPixel = 8);

    // Row `row` (0 is the top row) for writing: width bytes, one palette index each.
    std::uint8_t* scanLine(int row);
    // Hands the picture to the bitmap. Without it, destroying the writer leaves the bitmap as it was.
    void finish();

private:
    void prepare();

    TBitmap& m_bitmap;
    const LogicalPalette& m_palette;
    int m_width;
    int m_height;
    int m_bitsPerPixel;
    TBitmap m_picture; // empty until the first row request
};

} // namespace vantrelle::pictures
