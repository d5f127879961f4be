#pragma once

#include "vantrelle/pictures/Bitmap.h"

#include <array>
#include <cstdint>
#include <vector>

namespace vantrelle::pictures {

// A logical palette: a version (0x300) and its entries (red, green, blue, flags).
struct LogicalPalette {
    std::uint16_t version = 0x300;
    std::vector<PaletteEntry> entries;
};

// The 20 reserved colours of the default system palette, entries 0 to 19: the first ten stand at
// the start of a 256-colour palette, the last ten at its end.
inline constexpr std::array<PaletteEntry, 20> kSystemColors { {
    { 0, 0, 0, 0 },
    { 128, 0, 0, 0 },
    { 0, 128, 0, 0 },
    { 128, 128, 0, 0 },
    { 0, 0, 128, 0 },
    { 128, 0, 128, 0 },
    { 0, 128, 128, 0 },
    { 192, 192, 192, 0 },
    { 192, 220, 192, 0 },
    { 166, 202, 240, 0 },
    { 255, 251, 240, 0 },
    { 160, 160, 164, 0 },
    { 128, 128, 128, 0 },
    { 255, 0, 0, 0 },
    { 0, 255, 0, 0 },
    { 255, 255, 0, 0 },
    { 0, 0, 255, 0 },
    { 255, 0, 255, 0 },
    { 0, 255, 255, 0 },
    { 255, 255, 255, 0 },
} };

} // namespace vantrelle::pictures
