#include "WorkingText.h"

namespace vantrelle::titleservice {

std::size_t WorkingText::find(std::string_view marker)
{
    if (marker.empty() || m_text.empty())
        return 0;
    const char* begin = m_text.data();
    const char* end = begin + m_text.size();
    Sighting* sighting = nullptr;
    for (auto& s : m_sightings)
        if (s.marker == marker)
            sighting = &s;
    // A sighting still answers when the text lies within the span it searched and has not moved
    // past the occurrence it found: no other occurrence can come first.
    const bool known = sighting && begin >= sighting->searchedFrom && end <= sighting->searchedTo
        && (!sighting->at || begin <= sighting->at);
    if (!known) {
        const std::size_t p = position(marker, m_text);
        const Sighting fresh { marker, begin, end, p ? begin + p - 1 : nullptr };
        if (sighting)
            *sighting = fresh;
        else
            sighting = &m_sightings.emplace_back(fresh);
    }
    if (!sighting->at || sighting->at + marker.size() > end)
        return 0;
    return static_cast<std::size_t>(sighting->at - begin) + 1;
}

std::string_view WorkingText::partBefore(std::string_view marker)
{
    std::string_view copy = m_text;
    keepBeforeAt(copy, find(marker));
    return copy;
}

void WorkingText::keepAfter(std::string_view marker)
{
    const std::size_t p = find(marker);
    m_text = p ? m_text.substr(p - 1 + marker.size()) : std::string_view {};
}

} // namespace vantrelle::titleservice
