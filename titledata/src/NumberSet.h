#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace vantrelle::titledata {

// A set of title or person numbers: one bit per number, in pages allocated where numbers occur, so its
// size follows the range of numbers in use (about 4 MB for today's 36 million titles) and not the size
// of the files.
class NumberSet {
public:
    void insert(std::uint32_t number);
    void erase(std::uint32_t number);
    bool contains(std::uint32_t number) const;

private:
    static constexpr unsigned kPageShift = 16;
    using Page = std::array<std::uint64_t, (1u << kPageShift) / 64>;

    std::vector<std::unique_ptr<Page>> m_pages;
};

} // namespace vantrelle::titledata
