#pragma once

#include <zlib.h>

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vantrelle::titledata {

// Reads a gzip file (or, through zlib's transparent mode, a plain one) on a thread of its own, a few
// chunks ahead of the reader, so that inflating and parsing share the two cores.
class Decompressor {
public:
    // Throws EImportError when the file cannot be opened.
    explicit Decompressor(const std::filesystem::path& file);
    ~Decompressor();
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    // The next piece of the decompressed bytes, valid until the next call; nothing at the end. After the
    // end, error() says why the data stopped short, if it did.
    std::optional<std::string_view> next();
    const std::optional<std::string>& error() const { return m_error; }
    // True when the file was not gzip data but read as it stands.
    bool plain() const { return m_plain; }
    // How much of the file (compressed bytes) has been read so far.
    std::uint64_t bytesRead() const { return m_bytesRead.load(std::memory_order_relaxed); }

private:
    static constexpr std::size_t kChunkSize = 1 << 20;
    static constexpr std::size_t kChunks = 4;

    struct Chunk {
        std::vector<char> bytes = std::vector<char>(kChunkSize);
        std::size_t size = 0;
    };

    void run();

    std::string m_path;
    gzFile m_file = nullptr;
    std::array<Chunk, kChunks> m_chunks;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    // Chunk counters; chunk n lives in slot n % kChunks. The reader holds at most one chunk
    // (taken but not yet released).
    std::size_t m_filled = 0;
    std::size_t m_taken = 0;
    std::size_t m_released = 0;
    bool m_finished = false;
    bool m_stopping = false;
    bool m_plain = false;
    std::optional<std::string> m_error;
    std::atomic<std::uint64_t> m_bytesRead { 0 };
    std::thread m_thread; // last, so it starts after everything it uses
};

} // namespace vantrelle::titledata
