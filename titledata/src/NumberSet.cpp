#include "NumberSet.h"

namespace vantrelle::titledata {

namespace {

constexpr std::uint64_t bit(std::uint32_t number)
{
    return std::uint64_t { 1 } << (number % 64);
}

} // namespace

void NumberSet::insert(std::uint32_t number)
{
    const std::size_t page = number >> kPageShift;
    if (page >= m_pages.size())
        m_pages.resize(page + 1);
    if (!m_pages[page])
        m_pages[page] = std::make_unique<Page>(); // zeroed
    (*m_pages[page])[(number & ((1u << kPageShift) - 1)) / 64] |= bit(number);
}

void NumberSet::erase(std::uint32_t number)
{
    const std::size_t page = number >> kPageShift;
    if (page < m_pages.size() && m_pages[page])
        (*m_pages[page])[(number & ((1u << kPageShift) - 1)) / 64] &= ~bit(number);
}

bool NumberSet::contains(std::uint32_t number) const
{
    const std::size_t page = number >> kPageShift;
    return page < m_pages.size() && m_pages[page]
        && ((*m_pages[page])[(number & ((1u << kPageShift) - 1)) / 64] & bit(number)) != 0;
}

} // namespace vantrelle::titledata
