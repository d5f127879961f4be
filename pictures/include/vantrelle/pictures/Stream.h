#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vantrelle::pictures {

// A read position over bytes owned by the caller: what the graphic readers read from.
// Reads never go past the end; readBuffer fails on a short read.
class Stream {
public:
    explicit Stream(std::span<const std::uint8_t> bytes)
        : m_bytes(bytes)
    {
    }

    std::size_t size() const { return m_bytes.size(); }
    std::size_t position() const { return m_position; }
    std::size_t remaining() const { return m_bytes.size() - m_position; }
    // Moves to `position`, clamped to the end.
    void seek(std::size_t position) { m_position = position < m_bytes.size() ? position : m_bytes.size(); }
    void skip(std::size_t count) { seek(count < remaining() ? m_position + count : m_bytes.size()); }

    // The bytes from the position to the end.
    std::span<const std::uint8_t> rest() const { return m_bytes.subspan(m_position); }

    // Copies up to `count` bytes and returns how many were copied.
    std::size_t read(void* destination, std::size_t count);
    // Copies exactly `count` bytes or throws EInvalidGraphic with `shortMessage`, leaving the position.
    void readBuffer(void* destination, std::size_t count, const char* shortMessage = "Stream read error");

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_position = 0;
};

} // namespace vantrelle::pictures
