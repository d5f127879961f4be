#include "vantrelle/pictures/Bitmap.h"

#include "LittleEndian.h"
#include "vantrelle/pictures/Errors.h"

#include <algorithm>
#include <limits>

namespace vantrelle::pictures {

namespace {

[[noreturn]] void invalidBitmap()
{
    throw EInvalidGraphic("Bitmap image is not valid");
}

// Little-endian fields of a BMP file; running past the end means the file is not valid.
class FieldReader {
public:
    explicit FieldReader(std::span<const std::uint8_t> bytes)
        : m_bytes(bytes)
    {
    }

    std::size_t position() const { return m_position; }
    std::size_t remaining() const { return m_bytes.size() - m_position; }
    std::span<const std::uint8_t> take(std::uint64_t count)
    {
        if (count > remaining())
            invalidBitmap();
        const auto part = m_bytes.subspan(m_position, static_cast<std::size_t>(count));
        m_position += static_cast<std::size_t>(count);
        return part;
    }
    std::uint16_t u16() { return le16(take(2).data()); }
    std::uint32_t u32() { return le32(take(4).data()); }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_position = 0;
};

struct InfoHeader {
    std::int64_t width = 0;
    std::int64_t height = 0;
    int bitsPerPixel = 0;
    std::uint32_t compression = 0;
    std::uint32_t imageSize = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t colorsUsed = 0;
    std::uint32_t colorsImportant = 0;
    BitFieldMasks masks;
    bool oldForm = false;
    bool masksInHeader = false;
};

InfoHeader readInfoHeader(FieldReader& in)
{
    InfoHeader info;
    const std::uint32_t size = in.u32();
    int planes = 0;
    if (size == 12) {
        info.oldForm = true;
        info.width = in.u16();
        info.height = in.u16();
        planes = in.u16();
        info.bitsPerPixel = in.u16();
    } else if (size >= 40) {
        const auto header = in.take(std::uint64_t { size } - 4);
        info.width = les32(header.data());
        info.height = les32(header.data() + 4);
        planes = le16(header.data() + 8);
        info.bitsPerPixel = le16(header.data() + 10);
        info.compression = le32(header.data() + 12);
        info.imageSize = le32(header.data() + 16);
        info.xPelsPerMeter = les32(header.data() + 20);
        info.yPelsPerMeter = les32(header.data() + 24);
        info.colorsUsed = le32(header.data() + 28);
        info.colorsImportant = le32(header.data() + 32);
        // BITMAPV2INFOHEADER and later carry the masks inside the header.
        if (size >= 52) {
            info.masksInHeader = true;
            info.masks = { le32(header.data() + 36), le32(header.data() + 40), le32(header.data() + 44) };
        }
    } else {
        invalidBitmap();
    }
    if (planes != 1 || !TBitmap::isSupportedDepth(info.bitsPerPixel))
        invalidBitmap();
    return info;
}

BitmapCompression checkedCompression(const InfoHeader& info)
{
    switch (info.compression) {
    case 0:
        return BitmapCompression::Rgb;
    case 1:
        if (info.bitsPerPixel == 8)
            return BitmapCompression::Rle8;
        break;
    case 2:
        if (info.bitsPerPixel == 4)
            return BitmapCompression::Rle4;
        break;
    case 3:
        if (info.bitsPerPixel == 16 || info.bitsPerPixel == 32)
            return BitmapCompression::BitFields;
        break;
    default:
        break;
    }
    invalidBitmap();
}

// Decodes RLE8 / RLE4 data (the BMP format's run-length encoding) into a bitmap whose rows are
// stored bottom row first in the file. A run, an absolute block or a delta that would leave the
// picture makes the file invalid; data that simply stop leave the remaining pixels 0.
void decodeRunLength(std::span<const std::uint8_t> data, TBitmap& bitmap, bool fourBit)
{
    const std::int64_t width = bitmap.width();
    const std::int64_t height = bitmap.height();
    std::int64_t x = 0;
    std::int64_t y = 0;
    // Pixels past the right edge are dropped, as Windows does: some encoders code a row's padding
    // as pixels. Anything that would land above the top row or jump outside the picture is refused.
    auto put = [&](std::int64_t column, unsigned index) {
        if (column >= width)
            return;
        std::uint8_t* row = bitmap.scanLine(static_cast<int>(height - 1 - y));
        if (fourBit) {
            const int shift = column % 2 == 0 ? 4 : 0;
            std::uint8_t& cell = row[column / 2];
            cell = static_cast<std::uint8_t>((cell & ~(0x0F << shift)) | ((index & 0x0F) << shift));
        } else {
            row[column] = static_cast<std::uint8_t>(index);
        }
    };
    auto checkRow = [&] {
        if (y >= height)
            invalidBitmap();
    };

    std::size_t pos = 0;
    while (data.size() - pos >= 2) {
        const unsigned count = data[pos];
        const unsigned value = data[pos + 1];
        pos += 2;
        if (count > 0) {
            checkRow();
            for (unsigned i = 0; i < count; ++i)
                put(x + i, fourBit ? (i % 2 == 0 ? value >> 4 : value & 0x0F) : value);
            x += count;
            continue;
        }
        switch (value) {
        case 0:
            x = 0;
            ++y;
            break;
        case 1:
            return;
        case 2:
            if (data.size() - pos < 2)
                return;
            x += data[pos];
            y += data[pos + 1];
            pos += 2;
            if (x > width || y > height)
                invalidBitmap();
            break;
        default: {
            checkRow();
            const std::size_t bytes = fourBit ? (value + 1) / 2 : value;
            const std::size_t available = std::min(bytes, data.size() - pos);
            const unsigned pixels
                = static_cast<unsigned>(std::min<std::size_t>(value, fourBit ? available * 2 : available));
            for (unsigned i = 0; i < pixels; ++i) {
                const std::uint8_t byte = data[pos + (fourBit ? i / 2 : i)];
                put(x + i, fourBit ? (i % 2 == 0 ? byte >> 4 : byte & 0x0F) : byte);
            }
            x += value;
            // Absolute blocks are padded to a 16-bit boundary.
            pos += std::min(bytes + bytes % 2, data.size() - pos);
            break;
        }
        }
    }
}

TBitmap decodeBmp(std::span<const std::uint8_t> data, std::size_t& consumed)
{
    FieldReader in(data);
    const auto fileHeader = in.take(14);
    if (fileHeader[0] != 'B' || fileHeader[1] != 'M')
        invalidBitmap();
    // The rest of the file header (file size, pixel offset) is not used: the info header, masks,
    // palette and pixels are read one after the other.
    const InfoHeader info = readInfoHeader(in);
    const BitmapCompression compression = checkedCompression(info);
    const bool runLength = compression == BitmapCompression::Rle8 || compression == BitmapCompression::Rle4;
    const bool topDown = info.height < 0;
    if (info.width < 0 || (topDown && runLength))
        invalidBitmap();
    const std::int64_t height = topDown ? -info.height : info.height;
    if (info.width * height > TBitmap::kMaxPixels)
        throw EInvalidGraphic("Bitmap image is too large");

    BitFieldMasks masks = info.masks;
    if (compression == BitmapCompression::BitFields && !info.masksInHeader)
        masks = { in.u32(), in.u32(), in.u32() };

    const std::uint64_t tableEntries
        = info.colorsUsed != 0 ? info.colorsUsed : (info.bitsPerPixel <= 8 ? 1u << info.bitsPerPixel : 0u);
    const std::size_t entrySize = info.oldForm ? 3 : 4;
    const auto table = in.take(tableEntries * entrySize);
    const std::uint64_t kept
        = std::min<std::uint64_t>(tableEntries, info.bitsPerPixel <= 8 ? 1u << info.bitsPerPixel : 256u);
    std::vector<PaletteEntry> palette(static_cast<std::size_t>(kept));
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const std::uint8_t* entry = table.data() + i * entrySize;
        palette[i] = { entry[2], entry[1], entry[0], 0 };
    }

    TBitmap bitmap(static_cast<int>(info.width), static_cast<int>(height), info.bitsPerPixel);
    bitmap.setPalette(std::move(palette));
    bitmap.setColorsUsed(info.colorsUsed != 0 ? static_cast<std::uint32_t>(kept) : 0);
    bitmap.setColorsImportant(info.colorsImportant);
    bitmap.setResolution(info.xPelsPerMeter, info.yPelsPerMeter);
    bitmap.setCompression(compression == BitmapCompression::BitFields ? compression : BitmapCompression::Rgb);
    bitmap.setMasks(compression == BitmapCompression::BitFields ? masks : BitFieldMasks {});

    const std::uint64_t rowBytes = bitmap.rowBytes();
    std::uint64_t pixelSize = info.imageSize != 0 ? info.imageSize : rowBytes * static_cast<std::uint64_t>(height);
    if (runLength && info.imageSize == 0)
        pixelSize = in.remaining();
    const auto pixels = in.take(std::min<std::uint64_t>(pixelSize, in.remaining()));
    consumed = in.position();
    if (bitmap.empty())
        return bitmap;

    if (runLength) {
        decodeRunLength(pixels, bitmap, compression == BitmapCompression::Rle4);
        return bitmap;
    }
    for (std::int64_t fileRow = 0; fileRow < height; ++fileRow) {
        const std::uint64_t start = static_cast<std::uint64_t>(fileRow) * rowBytes;
        if (start >= pixels.size())
            break;
        const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(rowBytes, pixels.size() - start));
        const int y = static_cast<int>(topDown ? fileRow : height - 1 - fileRow);
        std::copy_n(pixels.begin() + static_cast<std::ptrdiff_t>(start), count, bitmap.scanLine(y));
    }
    return bitmap;
}

} // namespace

void TBitmap::loadFromStream(Stream& stream)
{
    const auto data = stream.rest();
    if (data.empty()) {
        *this = TBitmap();
        return;
    }
    std::size_t consumed = 0;
    TBitmap decoded = decodeBmp(data, consumed);
    *this = std::move(decoded);
    stream.skip(consumed);
}

void TBitmap::loadFromBlob(std::span<const std::uint8_t> value)
{
    Stream stream(stripGraphicHeader(value));
    loadFromStream(stream);
}

std::span<const std::uint8_t> TBitmap::stripGraphicHeader(std::span<const std::uint8_t> value)
{
    if (value.size() < 8)
        return value;
    const unsigned count = le16(value.data());
    const unsigned type = le16(value.data() + 2);
    if (count == 1 && type == 0x0100 && le32(value.data() + 4) == value.size() - 8)
        return value.subspan(8);
    return value;
}

} // namespace vantrelle::pictures
