#include "vantrelle/pictures/ColorLookup.h"

#include <algorithm>
#include <cstdlib>

namespace vantrelle::pictures {

TFastColorLookup::TFastColorLookup(const TLogicalPalette& palette)
    : m_entryCount(static_cast<int>(std::min<std::size_t>(palette.entries.size(), 256)))
{
    std::copy_n(palette.entries.begin(), m_entryCount, m_entries.begin());
    m_inverse.fill(-1);
    for (int i = 0; i < m_entryCount; ++i) {
        const PaletteEntry& e = m_entries[static_cast<std::size_t>(i)];
        std::int16_t& slot = m_inverse[static_cast<std::size_t>(Key(e.red, e.green, e.blue))];
        if (slot == -1)
            slot = static_cast<std::int16_t>(i);
    }
}

std::uint8_t TFastColorLookup::NearestIndex(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
    std::uint8_t& outRed, std::uint8_t& outGreen, std::uint8_t& outBlue)
{
    std::int16_t& slot = m_inverse[static_cast<std::size_t>(Key(red, green, blue))];
    if (slot == -1) {
        int best = 0x30000;
        int answer = 0;
        for (int i = 0; i < m_entryCount; ++i) {
            const PaletteEntry& e = m_entries[static_cast<std::size_t>(i)];
            const int distance = std::abs(e.red - red) + std::abs(e.green - green) + std::abs(e.blue - blue);
            if (distance < best) {
                best = distance;
                answer = i;
            }
        }
        slot = static_cast<std::int16_t>(answer);
    }
    const PaletteEntry& chosen = m_entries[static_cast<std::size_t>(slot)];
    outRed = chosen.red;
    outGreen = chosen.green;
    outBlue = chosen.blue;
    return static_cast<std::uint8_t>(slot);
}

} // namespace vantrelle::pictures
