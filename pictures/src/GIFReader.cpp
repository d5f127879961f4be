// Reading GIF87a and GIF89a files into TGIFGraphic.
#include "GIFLzw.h"
#include "GIFSubBlocks.h"
#include "LittleEndian.h"
#include "vantrelle/pictures/Errors.h"
#include "vantrelle/pictures/GIFImage.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

namespace vantrelle::pictures {

namespace {

constexpr std::uint8_t kTrailer = 0x3B;
constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kImageSeparator = 0x2C;

constexpr std::uint8_t kPlainTextLabel = 0x01;
constexpr std::uint8_t kGraphicControlLabel = 0xF9;
constexpr std::uint8_t kCommentLabel = 0xFE;
constexpr std::uint8_t kApplicationLabel = 0xFF;

constexpr int kMaxMinCodeSize = 11;

constexpr const char* kPrematureEnd = "Premature end of data";

bool isGIFSignature(const std::uint8_t* p)
{
    return std::toupper(p[0]) == 'G' && std::toupper(p[1]) == 'I' && std::toupper(p[2]) == 'F';
}

// Row r of an interlaced frame's data goes to this row of the picture (GIF89a, Appendix E).
void deinterlace(const std::uint8_t* linear, std::size_t rowsDecoded, std::size_t partialRow, std::size_t width,
    std::size_t height, std::uint8_t* picture)
{
    static constexpr std::size_t kPassStart[] = { 0, 4, 2, 1 };
    static constexpr std::size_t kPassStep[] = { 8, 8, 4, 2 };
    std::size_t row = 0;
    for (int pass = 0; pass < 4; ++pass)
        for (std::size_t y = kPassStart[pass]; y < height; y += kPassStep[pass], ++row) {
            if (row < rowsDecoded)
                std::memcpy(picture + y * width, linear + row * width, width);
            else if (row == rowsDecoded && partialRow > 0)
                std::memcpy(picture + y * width, linear + row * width, partialRow);
            else
                return;
        }
}

} // namespace

class GIFReader {
public:
    GIFReader(TGIFGraphic& image, Stream& stream)
        : m_image(image)
        , m_stream(stream)
    {
    }

    void read()
    {
        readSignature();
        readScreen();
        while (haveByte()) {
            const std::uint8_t next = peek();
            if (next == 0) {
                m_stream.skip(1);
            } else if (next == kTrailer) {
                break;
            } else if (next == kExtensionIntroducer || next == kImageSeparator) {
                readFrame();
            } else {
                m_image.warning("Unknown GIF block type");
                break;
            }
        }
        if (haveByte() && byte() != kTrailer)
            m_image.warning("Invalid Image trailer");
    }

private:
    bool haveByte() const { return m_stream.remaining() > 0; }
    std::uint8_t peek() const { return m_stream.rest()[0]; }

    void fixed(void* destination, std::size_t count)
    {
        if (m_stream.remaining() < count)
            throw EGIFError(kPrematureEnd);
        m_stream.read(destination, count);
    }

    std::uint8_t byte()
    {
        std::uint8_t value;
        fixed(&value, 1);
        return value;
    }

    void readSignature()
    {
        const std::size_t start = m_stream.position();
        std::uint8_t signature[6];
        fixed(signature, sizeof signature);
        if (isGIFSignature(signature))
            return;
        // Some files carry a 4-byte prefix before the signature.
        m_stream.seek(start);
        m_stream.skip(4);
        fixed(signature, sizeof signature);
        if (!isGIFSignature(signature))
            throw EGIFError("Invalid GIF signature");
    }

    void readColorTable(std::uint8_t packed, GIFColorTable& table)
    {
        const std::size_t entries = std::size_t(2) << (packed & 7);
        std::uint8_t bytes[256 * 3];
        fixed(bytes, entries * 3);
        table.resize(entries);
        for (std::size_t i = 0; i < entries; ++i)
            table[i] = { bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2] };
    }

    void readScreen()
    {
        std::uint8_t descriptor[7];
        fixed(descriptor, sizeof descriptor);
        GIFHeader& header = m_image.m_header;
        header.width = le16(descriptor);
        header.height = le16(descriptor + 2);
        header.packed = descriptor[4];
        header.backgroundIndex = descriptor[5];
        header.aspectRatio = descriptor[6];
        if (header.packed & 0x80)
            readColorTable(header.packed, header.globalColorTable);
    }

    // Data sub-blocks read strictly, joined (GIF89a, section 15).
    std::vector<std::uint8_t> subBlocks()
    {
        std::vector<std::uint8_t> data;
        for (std::uint8_t size = byte(); size != 0; size = byte()) {
            const std::size_t at = data.size();
            data.resize(at + size);
            fixed(data.data() + at, size);
        }
        return data;
    }

    void readFrame()
    {
        auto frame = std::make_unique<TGIFFrame>(m_image);
        readExtensions(*frame);
        if (haveByte() && peek() != kTrailer && peek() != 0)
            readImage(*frame);
        m_image.addFrame(std::move(frame));
    }

    void readExtensions(TGIFFrame& frame)
    {
        while (haveByte() && peek() != kImageSeparator && peek() != kTrailer) {
            if (peek() != kExtensionIntroducer) {
                m_image.warning("Invalid extension introducer");
                return;
            }
            m_stream.skip(1);
            switch (byte()) {
            case kGraphicControlLabel:
                readGraphicControl(frame);
                break;
            case kCommentLabel:
                frame.extensions.push_back(GIFCommentExtension { subBlocks() });
                break;
            case kPlainTextLabel: {
                GIFTextExtension text;
                text.header.resize(byte());
                fixed(text.header.data(), text.header.size());
                text.text = subBlocks();
                frame.extensions.push_back(std::move(text));
                break;
            }
            case kApplicationLabel: {
                GIFApplicationExtension application;
                const std::uint8_t blockSize = byte();
                if (blockSize < 10)
                    throw EGIFError("Unsupported Application Extension block size");
                application.identifierBlock.resize(blockSize);
                fixed(application.identifierBlock.data(), blockSize);
                application.data = subBlocks();
                frame.extensions.push_back(std::move(application));
                break;
            }
            default:
                throw EGIFError("Unknown extension type");
            }
        }
    }

    // Read leniently: a short extension keeps what it has (GIF89a, section 23).
    void readGraphicControl(TGIFFrame& frame)
    {
        std::uint8_t bytes[6] = {};
        if (m_stream.read(bytes, sizeof bytes) < sizeof bytes)
            m_image.warning(kPrematureEnd);
        GIFGraphicControlExtension control;
        control.blockSize = bytes[0];
        control.packed = bytes[1];
        control.delay = le16(bytes + 2);
        control.transparentIndex = bytes[4];
        if (control.transparent() && !frame.transparent) {
            frame.transparent = true;
            frame.transparentIndex = control.transparentIndex;
        }
        frame.extensions.push_back(control);
    }

    void readImage(TGIFFrame& frame)
    {
        std::uint8_t descriptor[10];
        fixed(descriptor, sizeof descriptor);
        frame.left = le16(descriptor + 1);
        frame.top = le16(descriptor + 3);
        frame.width = le16(descriptor + 5);
        frame.height = le16(descriptor + 7);
        frame.packed = descriptor[9];
        if (frame.width == 0 || frame.height == 0) {
            frame.width = m_image.m_header.width;
            frame.height = m_image.m_header.height;
            m_image.warning("Image width or height is zero; the logical screen's size is used");
        }
        if (frame.packed & 0x80)
            readColorTable(frame.packed, frame.colorTable);

        // Both sides are 16-bit, so the product fits; the limits bound what a tiny file can make us allocate.
        const std::uint64_t pixels = std::uint64_t(frame.width) * frame.height;
        if (pixels > kMaxGIFFramePixels)
            throw EGIFError("GIF frame of " + std::to_string(frame.width) + " x " + std::to_string(frame.height)
                + " pixels is larger than the limit of " + std::to_string(kMaxGIFFramePixels) + " pixels");
        m_totalPixels += pixels;
        if (m_totalPixels > kMaxGIFTotalPixels)
            throw EGIFError(
                "GIF frames hold more than the limit of " + std::to_string(kMaxGIFTotalPixels) + " pixels together");

        const int minCodeSize = byte();
        if (minCodeSize > kMaxMinCodeSize)
            throw EGIFError("Corrupt GIF data: LZW minimum code size " + std::to_string(minCodeSize) + " is above "
                + std::to_string(kMaxMinCodeSize));
        decodePixels(frame, minCodeSize, std::size_t(pixels));
    }

    void decodePixels(TGIFFrame& frame, int minCodeSize, std::size_t count)
    {
        SubBlockReader data(m_stream);
        const std::uint8_t fill = frame.transparent ? frame.transparentIndex : 0;
        std::vector<std::uint8_t>& pixels = frame.pixels;
        LzwResult result;
        if (!frame.interlaced()) {
            pixels.resize(count + kLzwOutputPadding);
            result = decodeLzw(data, minCodeSize, pixels.data(), count);
            pixels.resize(count);
            std::fill(pixels.begin() + std::ptrdiff_t(result.written), pixels.end(), fill);
        } else {
            std::vector<std::uint8_t> linear(count + kLzwOutputPadding);
            result = decodeLzw(data, minCodeSize, linear.data(), count);
            pixels.assign(count, fill);
            if (count > 0)
                deinterlace(linear.data(), result.written / frame.width, result.written % frame.width, frame.width,
                    frame.height, pixels.data());
        }
        data.skipRest();
        if (data.truncated())
            m_image.warning(kPrematureEnd);
        if (result.underRun)
            m_image.warning("Decoder bit buffer under-run");
    }

    TGIFGraphic& m_image;
    Stream& m_stream;
    std::uint64_t m_totalPixels = 0;
};

void TGIFGraphic::loadFromStream(Stream& stream)
{
    clear();
    const std::size_t start = stream.position();
    try {
        GIFReader(*this, stream).read();
    } catch (...) {
        stream.seek(start);
        clear();
        throw;
    }
}

} // namespace vantrelle::pictures
