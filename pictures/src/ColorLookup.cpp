#include "vantrelle/pictures/ColorLookup.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace vantrelle::pictures {

TFastColorLookup::TFastColorLookup(const LogicalPalette& palette)
    : m_entryCount(static_cast<int>(std::min<std::size_t>(palette.entries.size(), 256)))
{
    std::copy_n(palette.entries.begin(), m_entryCount, m_entries.begin());
    m_inverse.fill(-1);
    for (int i = 0; i < m_entryCount; ++i) {
        const PaletteEntry& e = m_entries[static_cast<std::size_t>(i)];
        m_red[static_cast<std::size_t>(i)] = e.red;
        m_green[static_cast<std::size_t>(i)] = e.green;
        m_blue[static_cast<std::size_t>(i)] = e.blue;
        std::int16_t& slot = m_inverse[static_cast<std::size_t>(key(e.red, e.green, e.blue))];
        if (slot == -1)
            slot = static_cast<std::int16_t>(i);
    }
}

std::int16_t TFastColorLookup::search(std::uint8_t red, std::uint8_t green, std::uint8_t blue) const
{
    // Distance and index packed into one key: the smallest key is the nearest entry, and among equal
    // distances the lowest index, as a strict-less scan would find; a loop the compiler vectorizes.
    if (m_entryCount == 0)
        return 0;
    int best = std::numeric_limits<int>::max();
    for (int i = 0; i < m_entryCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const int distance = std::abs(m_red[at] - red) + std::abs(m_green[at] - green) + std::abs(m_blue[at] - blue);
        best = std::min(best, distance << 8 | i);
    }
    return static_cast<std::int16_t>(best & 0xFF);
}

std::uint8_t TFastColorLookup::NearestIndex(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
    std::uint8_t& outRed, std::uint8_t& outGreen, std::uint8_t& outBlue)
{
    const std::uint8_t chosen = index(red, green, blue);
    const PaletteEntry& entry = m_entries[chosen];
    outRed = entry.red;
    outGreen = entry.green;
    outBlue = entry.blue;
    return chosen;
}

} // namespace vantrelle::pictures
