#include "vantrelle/pictures/DitherEngine.h"

namespace vantrelle::pictures {

TDitherEngine::TDitherEngine(int width, TColorLookup& lookup)
    : m_lookup(lookup)
    , m_width(width)
{
}

std::uint8_t TDitherEngine::dither(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    std::uint8_t chosenRed;
    std::uint8_t chosenGreen;
    std::uint8_t chosenBlue;
    const std::uint8_t index = m_lookup.NearestIndex(red, green, blue, chosenRed, chosenGreen, chosenBlue);
    m_column += m_direction;
    return index;
}

void TDitherEngine::nextLine()
{
    m_direction = -m_direction;
    m_column = m_direction == 1 ? 0 : m_width - 1;
}

} // namespace vantrelle::pictures
