#include "vantrelle/pictures/Bitmap.h"

#include "vantrelle/pictures/Errors.h"

#include <algorithm>
#include <fstream>

namespace vantrelle::pictures {

namespace {

class LittleEndianWriter {
public:
    explicit LittleEndianWriter(std::vector<std::uint8_t>& out)
        : m_out(out)
    {
    }
    void u16(std::uint32_t value)
    {
        m_out.push_back(static_cast<std::uint8_t>(value));
        m_out.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    void u32(std::uint32_t value)
    {
        u16(value & 0xFFFF);
        u16(value >> 16);
    }

private:
    std::vector<std::uint8_t>& m_out;
};

} // namespace

std::vector<std::uint8_t> TBitmap::saveToBytes() const
{
    std::vector<std::uint8_t> out;
    if (empty())
        return out;

    // N: the colours-used count, else the full table of a palette depth; above 8 bits a palette
    // the bitmap carries is written as it stands.
    std::size_t entries = 0;
    if (m_bitsPerPixel <= 8) {
        const std::size_t full = std::size_t { 1 } << m_bitsPerPixel;
        entries = m_colorsUsed != 0 ? std::min<std::size_t>(m_colorsUsed, full) : full;
    } else {
        entries = m_palette.size();
    }
    const bool bitFields
        = m_compression == BitmapCompression::BitFields && (m_bitsPerPixel == 16 || m_bitsPerPixel == 32);
    const std::uint32_t headerAndPalette = 40 + (bitFields ? 12 : 0) + 4 * static_cast<std::uint32_t>(entries);
    const std::uint32_t imageSize = static_cast<std::uint32_t>(m_pixels.size());

    out.reserve(14 + headerAndPalette + imageSize);
    LittleEndianWriter write(out);
    out.push_back('B');
    out.push_back('M');
    write.u32(14 + headerAndPalette + imageSize);
    write.u16(0);
    write.u16(0);
    write.u32(14 + headerAndPalette);

    write.u32(40);
    write.u32(static_cast<std::uint32_t>(m_width));
    write.u32(static_cast<std::uint32_t>(m_height));
    write.u16(1);
    write.u16(static_cast<std::uint32_t>(m_bitsPerPixel));
    write.u32(static_cast<std::uint32_t>(bitFields ? BitmapCompression::BitFields : BitmapCompression::Rgb));
    write.u32(imageSize);
    write.u32(static_cast<std::uint32_t>(m_xPelsPerMeter));
    write.u32(static_cast<std::uint32_t>(m_yPelsPerMeter));
    write.u32(static_cast<std::uint32_t>(entries));
    write.u32(m_colorsImportant);
    if (bitFields) {
        write.u32(m_masks.red);
        write.u32(m_masks.green);
        write.u32(m_masks.blue);
    }
    for (std::size_t i = 0; i < entries; ++i) {
        const PaletteEntry colour = i < m_palette.size() ? m_palette[i] : PaletteEntry {};
        out.insert(out.end(), { colour.blue, colour.green, colour.red, 0 });
    }
    // The padding at the end of each row is written as zeros, whatever the row buffer holds there.
    const std::size_t usedBytes = (static_cast<std::size_t>(m_width) * m_bitsPerPixel + 7) / 8;
    const std::size_t padding = rowBytes() - usedBytes;
    for (int y = m_height - 1; y >= 0; --y) {
        const std::uint8_t* row = scanLine(y);
        out.insert(out.end(), row, row + usedBytes);
        out.insert(out.end(), padding, 0);
    }
    return out;
}

void TBitmap::saveToFile(const std::string& fileName) const
{
    const std::vector<std::uint8_t> bytes = saveToBytes();
    std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
    if (!file)
        throw EFileError("Cannot create file " + fileName);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file.flush())
        throw EFileError("Cannot create file " + fileName);
}

} // namespace vantrelle::pictures
