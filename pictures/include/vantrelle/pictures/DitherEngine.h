#pragma once

#include "vantrelle/pictures/ColorLookup.h"

#include <cstdint>

namespace vantrelle::pictures {

// Walks the pixels of each row and gives each its palette index. This base class maps every
// pixel to its nearest colour, carrying no error from one pixel to another, and visits rows in a
// serpentine: even rows left to right, odd rows right to left.
class TDitherEngine {
public:
    TDitherEngine(int width, TColorLookup& lookup);
    virtual ~TDitherEngine() = default;
    TDitherEngine(const TDitherEngine&) = delete;
    TDitherEngine& operator=(const TDitherEngine&) = delete;

    // The column of the next pixel; the row is done once it leaves 0 .. width - 1.
    int column() const { return m_column; }
    int direction() const { return m_direction; }
    bool rowDone() const { return m_column < 0 || m_column >= m_width; }

    // The index of the pixel at column(), whose colour is given; then moves on by one pixel.
    virtual std::uint8_t dither(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    // Turns round for the next row.
    virtual void nextLine();

protected:
    TColorLookup& m_lookup;
    int m_width;
    int m_direction = 1;
    int m_column = 0;
};

} // namespace vantrelle::pictures
