#include "vantrelle/pictures/DIB.h"

#include "vantrelle/pictures/Errors.h"

#include <new>
#include <vector>

namespace vantrelle::pictures {

TDIBReader::TDIBReader(TBitmap& bitmap, int bitsPerPixel)
    : m_bitmap(bitmap)
{
    bitmap.setBitsPerPixel(bitsPerPixel);
}

TDIBReader::TDIBReader(const TBitmap& bitmap)
    : m_bitmap(bitmap)
{
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
    try {
        m_picture.setSize(m_width, m_height, m_bitsPerPixel);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory("Failed to allocate memory for GIF DIB");
    }
}

std::uint8_t* TDIBWriter::scanLine(int row)
{
    if (m_picture.empty())
        prepare();
    return m_picture.scanLine(row);
}

void TDIBWriter::finish()
{
    if (m_picture.empty())
        prepare();
    std::vector<PaletteEntry> colours(256);
    for (std::size_t i = 0; i < colours.size() && i < m_palette.entries.size(); ++i) {
        const PaletteEntry& entry = m_palette.entries[i];
        colours[i] = { entry.red, entry.green, entry.blue, 0 };
    }
    m_picture.setPalette(std::move(colours));
    m_picture.setColorsUsed(256);
    m_picture.setColorsImportant(static_cast<std::uint32_t>(m_palette.entries.size()));
    m_bitmap = std::move(m_picture);
    m_picture = TBitmap();
}

} // namespace vantrelle::pictures
