#include "Decompressor.h"

#include "vantrelle/titledata/Import.h"

#include <cerrno>
#include <cstring>

namespace vantrelle::titledata {

Decompressor::Decompressor(const std::filesystem::path& file)
    : m_path(file.string())
    , m_file(gzopen(file.c_str(), "rb"))
{
    if (!m_file)
        throw EImportError("Cannot read '" + file.string() + "': " + std::strerror(errno ? errno : ENOMEM));
    gzbuffer(m_file, 256 * 1024);
    m_thread = std::thread([this] { run(); });
}

Decompressor::~Decompressor()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
    gzclose(m_file);
}

void Decompressor::run()
{
    while (true) {
        std::size_t slot = 0;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stopping || m_filled - m_released < kChunks; });
            if (m_stopping)
                return;
            slot = m_filled % kChunks;
        }
        // The slot is free: neither the reader nor a waiting chunk uses it.
        Chunk& chunk = m_chunks[slot];
        const int read = gzread(m_file, chunk.bytes.data(), static_cast<unsigned>(chunk.bytes.size()));
        m_bytesRead.store(static_cast<std::uint64_t>(gzoffset(m_file)), std::memory_order_relaxed);
        std::lock_guard lock(m_mutex);
        if (read > 0) {
            chunk.size = static_cast<std::size_t>(read);
            if (m_filled == 0)
                m_plain = gzdirect(m_file) != 0;
            ++m_filled;
        } else {
            // A truncated file ends like a whole one (0) but leaves Z_BUF_ERROR behind.
            int code = Z_OK;
            const std::string_view message = gzerror(m_file, &code);
            // zlib puts the file's name in front, which the reader's message already has.
            if (code != Z_OK)
                m_error = message.starts_with(m_path + ": ") ? message.substr(m_path.size() + 2) : message;
            m_finished = true;
        }
        m_changed.notify_all();
        if (m_finished)
            return;
    }
}

std::optional<std::string_view> Decompressor::next()
{
    std::unique_lock lock(m_mutex);
    if (m_taken > m_released) {
        ++m_released;
        m_changed.notify_all();
    }
    m_changed.wait(lock, [this] { return m_filled > m_taken || m_finished; });
    if (m_filled == m_taken)
        return std::nullopt;
    const Chunk& chunk = m_chunks[m_taken++ % kChunks];
    return std::string_view(chunk.bytes.data(), chunk.size);
}

} // namespace vantrelle::titledata
