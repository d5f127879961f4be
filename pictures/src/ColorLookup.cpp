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
        m_red[static_cast<std::size_t>(i)] = e.red;
        m_green[static_cast<std::size_t>(i)] = e.green;
        m_blue[static_cast<std::size_t>(i)] = e.blue;
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
        // The distances to every entry first (a loop the compiler vectorizes), then the first smallest:
        // every distance is below the search's starting bound of 0x30000, so this is the strict-less scan.
        std::array<int, 256> distances;
        for (int i = 0; i < m_entryCount; ++i)
            distances[static_cast<std::size_t>(i)] = std::abs(m_red[static_cast<std::size_t>(i)] - red)
                + std::abs(m_green[static_cast<std::size_t>(i)] - green)
                + std::abs(m_blue[static_cast<std::size_t>(i)] - blue);
        slot = static_cast<std::int16_t>(m_entryCount == 0
                ? 0
                : std::min_element(distances.begin(), distances.begin() + m_entryCount) - distances.begin());
    }
    const PaletteEntry& chosen = m_entries[static_cast<std::size_t>(slot)];
    outRed = chosen.red;
    outGreen = chosen.green;
    outBlue = chosen.blue;
    return static_cast<std::uint8_t>(slot);
}

} // namespace vantrelle::pictures
