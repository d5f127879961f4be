#pragma once

// Builds small GIF files byte by byte for the reader's tests.

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace vantrelle::test {

using Bytes = std::vector<std::uint8_t>;

// Packs codes of varying widths least significant bit first (GIF89a, Appendix F).
class CodePacker {
public:
    void put(int code, int width)
    {
        m_buffer |= std::uint32_t(code) << m_bits;
        m_bits += width;
        for (; m_bits >= 8; m_bits -= 8, m_buffer >>= 8)
            m_bytes.push_back(std::uint8_t(m_buffer));
    }
    Bytes finish()
    {
        if (m_bits > 0)
            m_bytes.push_back(std::uint8_t(m_buffer));
        return m_bytes;
    }

private:
    Bytes m_bytes;
    std::uint32_t m_buffer = 0;
    int m_bits = 0;
};

inline Bytes packCodes(std::initializer_list<std::pair<int, int>> codesAndWidths)
{
    CodePacker packer;
    for (const auto& [code, width] : codesAndWidths)
        packer.put(code, width);
    return packer.finish();
}

// An LZW stream of the pixels without compression: a clear code comes before the table would make the
// codes wider.
inline Bytes encodeUncompressed(const Bytes& pixels, int minCodeSize)
{
    const int clear = 1 << minCodeSize, width = minCodeSize + 1;
    const std::size_t run = std::size_t(clear) - 3;
    CodePacker packer;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        if (i % run == 0)
            packer.put(clear, width);
        packer.put(pixels[i], width);
    }
    packer.put(clear + 1, width);
    return packer.finish();
}

// An LZW stream of the pixels as a GIF encoder writes it, strings growing in a table of 4096 codes. When the
// table is full the encoder either sends a clear code or goes on with the full table.
inline Bytes encodeLzw(const Bytes& pixels, int minCodeSize, bool clearWhenFull)
{
    const int clear = 1 << minCodeSize;
    std::map<std::pair<int, int>, int> table; // (prefix code, next byte) -> code
    int next = clear + 2;
    // The code width follows the decoder, which defines each entry one code after the encoder.
    int width = minCodeSize + 1, decoderNext = clear + 2;
    bool first = true;
    CodePacker packer;
    const auto emit = [&](int code) {
        packer.put(code, width);
        if (!first && decoderNext < 4096 && ++decoderNext > (1 << width) - 1 && width < 12)
            ++width;
        first = false;
    };
    const auto restart = [&] {
        packer.put(clear, width);
        table.clear();
        next = clear + 2;
        width = minCodeSize + 1;
        decoderNext = clear + 2;
        first = true;
    };
    restart();
    int prefix = -1;
    for (const std::uint8_t pixel : pixels) {
        if (prefix < 0) {
            prefix = pixel;
            continue;
        }
        const auto found = table.find({ prefix, pixel });
        if (found != table.end()) {
            prefix = found->second;
            continue;
        }
        emit(prefix);
        if (next < 4096)
            table[{ prefix, pixel }] = next++;
        if (next == 4096 && clearWhenFull)
            restart();
        prefix = pixel;
    }
    if (prefix >= 0)
        emit(prefix);
    emit(clear + 1);
    return packer.finish();
}

// Data sub-blocks of at most 255 bytes and the block terminator.
inline Bytes subBlocks(const Bytes& data, bool terminator = true)
{
    Bytes out;
    for (std::size_t at = 0; at < data.size(); at += 255) {
        const std::size_t n = std::min<std::size_t>(255, data.size() - at);
        out.push_back(std::uint8_t(n));
        out.insert(out.end(), data.begin() + std::ptrdiff_t(at), data.begin() + std::ptrdiff_t(at + n));
    }
    if (terminator)
        out.push_back(0);
    return out;
}

class GifBuilder {
public:
    // Signature, a screen of the given size and a global table of 4 colours (0 black, 1 red, 2 green, 3 blue).
    GifBuilder(int width, int height, const std::string& signature = "GIF89a")
    {
        m_bytes.assign(signature.begin(), signature.end());
        add16(width);
        add16(height);
        m_bytes.insert(m_bytes.end(), { 0x81, 0, 0 });
        m_bytes.insert(m_bytes.end(), { 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255 });
    }

    GifBuilder& raw(const Bytes& bytes)
    {
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
        return *this;
    }

    GifBuilder& graphicControl(bool transparent, int transparentIndex)
    {
        return raw({ 0x21, 0xF9, 4, std::uint8_t(transparent ? 1 : 0), 0, 0, std::uint8_t(transparentIndex), 0 });
    }

    GifBuilder& comment(const std::string& text)
    {
        raw({ 0x21, 0xFE });
        return raw(subBlocks(Bytes(text.begin(), text.end())));
    }

    // An image descriptor (no local table) and its LZW data.
    GifBuilder& image(
        int width, int height, const Bytes& lzw, int minCodeSize = 2, bool interlaced = false, bool terminator = true)
    {
        raw({ 0x2C, 0, 0, 0, 0 });
        add16(width);
        add16(height);
        m_bytes.push_back(interlaced ? 0x40 : 0);
        m_bytes.push_back(std::uint8_t(minCodeSize));
        return raw(subBlocks(lzw, terminator));
    }

    GifBuilder& pixels(int width, int height, const Bytes& indices, bool interlaced = false)
    {
        return image(width, height, encodeUncompressed(indices, 2), 2, interlaced);
    }

    GifBuilder& trailer() { return raw({ 0x3B }); }
    Bytes bytes() const { return m_bytes; }

private:
    void add16(int value)
    {
        m_bytes.push_back(std::uint8_t(value));
        m_bytes.push_back(std::uint8_t(value >> 8));
    }

    Bytes m_bytes;
};

} // namespace vantrelle::test
