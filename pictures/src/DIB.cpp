#include "vantrelle/pictures/DIB.h"

#include "LittleEndian.h"
#include "vantrelle/pictures/Errors.h"

#include <new>

namespace vantrelle::pictures {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoBlockSize = 40 + 256 * 4;

} // namespace

TDIBReader::TDIBReader(TBitmap& bitmap, int bitsPerPixel)
    : m_bitmap(bitmap)
{
    m_bitmap.setBitsPerPixel(bitsPerPixel);
}

TDIBWriter::TDIBWriter(TBitmap& bitmap, const LogicalPalette& palette, int width, int height, int bitsPerPixel)
    : m_bitmap(bitmap)
    , m_palette(palette)
    , m_width(width)
    , m_height(height)
    , m_bitsPerPixel(bitsPerPixel)
{
}

void TDIBWriter::prepare()
{
    if (m_width <= 0 || m_height <= 0)
        throw EInvalidGraphic("Invalid image dimensions");
    if (m_bitsPerPixel != 8)
        throw EInvalidGraphic("Invalid pixel format");
    if (static_cast<std::int64_t>(m_width) * m_height > TBitmap::kMaxPixels)
        throw EOutOfMemory("Failed to allocate memory for GIF DIB");
    m_rowBytes = TBitmap::rowBytesFor(m_width, m_bitsPerPixel);
    const std::size_t bufferSize = m_rowBytes * static_cast<std::size_t>(m_height);
    try {
        m_image.assign(kFileHeaderSize + kInfoBlockSize + bufferSize, 0);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory("Failed to allocate memory for GIF DIB");
    }

    std::uint8_t* file = m_image.data();
    file[0] = 'B';
    file[1] = 'M';
    putLe32(file + 2, static_cast<std::uint32_t>(m_image.size()));
    putLe32(file + 10, static_cast<std::uint32_t>(kFileHeaderSize + kInfoBlockSize));
    std::uint8_t* info = file + kFileHeaderSize;
    putLe32(info, 40);
    putLe32(info + 4, static_cast<std::uint32_t>(m_width));
    putLe32(info + 8, static_cast<std::uint32_t>(m_height)); // positive: rows stored bottom-up
    putLe16(info + 12, 1);
    putLe16(info + 14, 8);
    putLe32(info + 32, 256);
    putLe32(info + 36, static_cast<std::uint32_t>(m_palette.entries.size()));
    std::uint8_t* colour = info + 40;
    for (std::size_t i = 0; i < 256 && i < m_palette.entries.size(); ++i, colour += 4) {
        colour[0] = m_palette.entries[i].blue;
        colour[1] = m_palette.entries[i].green;
        colour[2] = m_palette.entries[i].red;
    }
}

std::uint8_t* TDIBWriter::scanLine(int row)
{
    if (m_image.empty())
        prepare();
    if (row < 0 || row >= m_height)
        throw EInvalidGraphic("Scan line index out of range");
    return m_image.data() + kFileHeaderSize + kInfoBlockSize
        + m_rowBytes * static_cast<std::size_t>(m_height - 1 - row);
}

void TDIBWriter::finish()
{
    if (m_image.empty())
        prepare();
    Stream stream(m_image);
    m_bitmap.loadFromStream(stream);
}

} // namespace vantrelle::pictures
