#pragma once

#include "vantrelle/pictures/Palette.h"

#include <array>
#include <cstdint>

namespace vantrelle::pictures {

// Answers which palette entry stands for a colour.
class TColorLookup {
public:
    virtual ~TColorLookup() = default;
    // The palette index for (red, green, blue); the chosen entry's colour is stored in the last three.
    virtual std::uint8_t NearestIndex(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t& outRed,
        std::uint8_t& outGreen, std::uint8_t& outBlue)
        = 0;
};

// Nearest-colour lookup through an inverse table of 32,768 cells (5 bits of each channel). The
// table starts with each cell that holds palette colours answering with the lowest-indexed one;
// any other cell is answered by a full search (sum of absolute channel differences, ties to the
// lower index) the first time it is asked, and keeps that answer for every later colour in it.
class TFastColorLookup final : public TColorLookup {
public:
    explicit TFastColorLookup(const LogicalPalette& palette);

    std::uint8_t NearestIndex(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t& outRed,
        std::uint8_t& outGreen, std::uint8_t& outBlue) override;
    // NearestIndex without the colour, inline: once a cell is answered, a colour in it costs one table read.
    std::uint8_t index(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
    {
        std::int16_t& slot = m_inverse[static_cast<std::size_t>(key(red, green, blue))];
        if (slot < 0)
            slot = search(red, green, blue);
        return static_cast<std::uint8_t>(slot);
    }
    int entryCount() const { return m_entryCount; }

    static int key(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
    {
        return (blue >> 3) * 1024 + (green >> 3) * 32 + (red >> 3);
    }

private:
    std::int16_t search(std::uint8_t red, std::uint8_t green, std::uint8_t blue) const;

    int m_entryCount = 0;
    std::array<PaletteEntry, 256> m_entries {};
    // The entries' channels apart, for the full search.
    std::array<int, 256> m_red {};
    std::array<int, 256> m_green {};
    std::array<int, 256> m_blue {};
    std::array<std::int16_t, 32768> m_inverse;
};

} // namespace vantrelle::pictures
