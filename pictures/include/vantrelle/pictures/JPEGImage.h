#pragma once

// JPEG pictures, decoded through libjpeg-turbo's IJG interface.
//
// Limitations: pictures of more than TBitmap::kMaxPixels pixels are refused when the header is read, and
// decoding is refused for a file of more than kMaxScans scans or one that needs more than kMaxDecoderMemory
// bytes of decoder memory, so that a small hostile file cannot take minutes or gigabytes. CMYK and YCCK
// files are decoded to CMYK by libjpeg and turned into colour here (Adobe files store inverted inks).

#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/pictures/Graphic.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace vantrelle::pictures {

enum class JPEGPixelFormat { k24Bit, k8Bit };

class TJPEGImage : public TGraphic {
public:
    static constexpr int kMaxScans = 256;
    static constexpr long kMaxDecoderMemory = 256L * 1024 * 1024;
    // Colours of the 8-bit pictures made by libjpeg's quantizer.
    static constexpr int kQuantizedColors = 236;

    TJPEGImage() = default;
    TJPEGImage(const TJPEGImage& other);
    TJPEGImage& operator=(const TJPEGImage& other);
    ~TJPEGImage() override;

    const char* className() const override { return "TJPEGImage"; }
    bool empty() const override { return m_data.empty(); }
    int width() const override { return m_width; }
    int height() const override { return m_height; }
    std::unique_ptr<TGraphic> clone() const override { return std::make_unique<TJPEGImage>(*this); }

    // Keeps every byte from the stream's position to its end and reads the header (no pixels yet).
    // EJPEG "JPEG error #%d" with libjpeg's message number when libjpeg refuses the header.
    void loadFromStream(Stream& stream) override;

    // The decoded picture, made on the first request and then kept: 24 bits per pixel (blue, green, red)
    // for colour files, 8 bits with the quantizer's palette for grayscale files (236 grey levels,
    // Floyd-Steinberg) and, with k8Bit, for colour files too (two-pass quantizer, 236 colours; CMYK files
    // stay 24-bit, as libjpeg cannot quantize them). Throws EJPEG when the data are damaged; the image then
    // stays as it was.
    const TBitmap& Bitmap() const;

    // The bitmap's format for colour files; changing it drops a decoded bitmap.
    JPEGPixelFormat pixelFormat() const { return m_pixelFormat; }
    void setPixelFormat(JPEGPixelFormat format);

    bool grayscale() const { return m_grayscale; }
    bool progressiveEncoding() const { return m_progressive; }
    const std::vector<std::uint8_t>& data() const { return m_data; }

private:
    std::vector<std::uint8_t> m_data;
    int m_width = 0;
    int m_height = 0;
    bool m_grayscale = false;
    bool m_progressive = false;
    JPEGPixelFormat m_pixelFormat = JPEGPixelFormat::k24Bit;
    mutable std::unique_ptr<TBitmap> m_bitmap;
};

} // namespace vantrelle::pictures
