#include "vantrelle/pictures/JPEGImage.h"

#include "vantrelle/pictures/Errors.h"

#include <csetjmp>
#include <cstdio>
#include <string>

#include <jpeglib.h>

#include <jerror.h>

namespace vantrelle::pictures {

namespace {

constexpr int kScanLimitExceeded = -1;

// libjpeg reports a fatal error by calling error_exit, which must not return: it jumps back to the
// setjmp of the call that is under way, which then throws. Warnings and trace messages are ignored.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    int code = 0;
};

void errorExit(j_common_ptr info)
{
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    manager->code = info->err->msg_code;
    std::longjmp(manager->jump, 1);
}

void ignoreMessage(j_common_ptr, int)
{
}
void ignoreOutput(j_common_ptr)
{
}

// Every scan of a progressive file costs a pass over the whole coefficient buffer; thousands of tiny
// scans would take minutes, so the count is capped.
void watchScans(j_common_ptr info)
{
    const auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > TJPEGImage::kMaxScans) {
        auto* manager = reinterpret_cast<ErrorManager*>(info->err);
        manager->code = kScanLimitExceeded;
        std::longjmp(manager->jump, 1);
    }
}

EJPEG jpegError(int code)
{
    if (code == kScanLimitExceeded)
        return EJPEG("JPEG image has more than " + std::to_string(TJPEGImage::kMaxScans)
            + " scans; it is refused because decoding it could take minutes");
    const std::string message = "JPEG error #" + std::to_string(code);
    if (code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE)
        return EJPEG(message + " (decoding would need more than "
            + std::to_string(TJPEGImage::kMaxDecoderMemory / (1024 * 1024)) + " MB of memory)");
    return EJPEG(message);
}

// A decompressor over bytes owned by the caller.
class Decompressor {
public:
    explicit Decompressor(const std::vector<std::uint8_t>& data)
    {
        m_info.err = jpeg_std_error(&m_errors.pub);
        m_errors.pub.error_exit = errorExit;
        m_errors.pub.emit_message = ignoreMessage;
        m_errors.pub.output_message = ignoreOutput;
        // jpeg_create_decompress cannot fail other than by running out of memory; guard it all the same.
        if (setjmp(m_errors.jump))
            throw jpegError(m_errors.code);
        jpeg_create_decompress(&m_info);
        m_created = true;
        m_info.mem->max_memory_to_use = TJPEGImage::kMaxDecoderMemory;
        m_progress.progress_monitor = watchScans;
        m_info.progress = &m_progress;
        jpeg_mem_src(&m_info, data.data(), static_cast<unsigned long>(data.size()));
    }
    ~Decompressor()
    {
        if (m_created)
            jpeg_destroy_decompress(&m_info);
    }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    jpeg_decompress_struct& info() { return m_info; }
    ErrorManager& errors() { return m_errors; }

private:
    jpeg_decompress_struct m_info {};
    ErrorManager m_errors {};
    jpeg_progress_mgr m_progress {};
    bool m_created = false;
};

bool isCMYK(J_COLOR_SPACE space)
{
    return space == JCS_CMYK || space == JCS_YCCK;
}

// Adobe's files store inverted inks (0 = full ink), others plain inks.
void cmykToBGR(const std::uint8_t* cmyk, std::uint8_t* bgr, JDIMENSION width, bool inverted)
{
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        bgr[0] = std::uint8_t((y * k + 127) / 255);
        bgr[1] = std::uint8_t((m * k + 127) / 255);
        bgr[2] = std::uint8_t((c * k + 127) / 255);
    }
}

// Decodes into `bitmap` and `cmykRow`, which the caller owns, so that a longjmp out of libjpeg skips no
// destructor that matters.
void decode(const std::vector<std::uint8_t>& data, JPEGPixelFormat pixelFormat, TBitmap& bitmap,
    std::vector<std::uint8_t>& cmykRow)
{
    Decompressor decompressor(data);
    jpeg_decompress_struct& info = decompressor.info();
    if (setjmp(decompressor.errors().jump))
        throw jpegError(decompressor.errors().code);

    jpeg_read_header(&info, TRUE);
    info.scale_num = 1;
    info.scale_denom = 1;
    info.do_fancy_upsampling = TRUE;
    info.dct_method = JDCT_ISLOW;
    info.buffered_image = FALSE;
    const bool gray = info.jpeg_color_space == JCS_GRAYSCALE;
    const bool cmyk = isCMYK(info.jpeg_color_space);
    if (gray) {
        info.out_color_space = JCS_GRAYSCALE;
        info.quantize_colors = TRUE;
        info.desired_number_of_colors = TJPEGImage::kQuantizedColors;
        info.two_pass_quantize = FALSE;
        info.dither_mode = JDITHER_FS;
    } else if (cmyk) {
        info.out_color_space = JCS_CMYK;
    } else if (pixelFormat == JPEGPixelFormat::k8Bit) {
        info.out_color_space = JCS_RGB;
        info.quantize_colors = TRUE;
        info.desired_number_of_colors = TJPEGImage::kQuantizedColors;
        info.two_pass_quantize = TRUE;
        info.dither_mode = JDITHER_FS;
    } else {
        info.out_color_space = JCS_EXT_BGR;
    }
    jpeg_start_decompress(&info);
    bitmap.setSize(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
        info.output_components == 1 ? 8 : 24);

    const bool quantized = info.quantize_colors;
    if (quantized) {
        std::vector<PaletteEntry> palette(static_cast<std::size_t>(info.actual_number_of_colors));
        for (std::size_t i = 0; i < palette.size(); ++i) {
            const JSAMPLE red = info.colormap[0][i];
            palette[i] = info.out_color_components == 1
                ? PaletteEntry { red, red, red, 0 }
                : PaletteEntry { red, info.colormap[1][i], info.colormap[2][i], 0 };
        }
        bitmap.setPalette(std::move(palette));
    }
    if (cmyk)
        cmykRow.resize(std::size_t(info.output_width) * 4);
    const bool inverted = info.saw_Adobe_marker;
    while (info.output_scanline < info.output_height) {
        const int y = static_cast<int>(info.output_scanline);
        JSAMPROW row = cmyk ? cmykRow.data() : bitmap.scanLine(y);
        if (jpeg_read_scanlines(&info, &row, 1) != 1)
            break; // the data ran out; libjpeg has already filled the rest
        if (cmyk)
            cmykToBGR(cmykRow.data(), bitmap.scanLine(y), info.output_width, inverted);
    }
    jpeg_finish_decompress(&info);
}

} // namespace

TJPEGImage::TJPEGImage(const TJPEGImage& other)
    : TGraphic(other)
    , m_data(other.m_data)
    , m_width(other.m_width)
    , m_height(other.m_height)
    , m_grayscale(other.m_grayscale)
    , m_progressive(other.m_progressive)
    , m_pixelFormat(other.m_pixelFormat)
    , m_bitmap(other.m_bitmap ? std::make_unique<TBitmap>(*other.m_bitmap) : nullptr)
{
}

TJPEGImage& TJPEGImage::operator=(const TJPEGImage& other)
{
    if (this != &other) {
        TJPEGImage copy(other);
        m_data = std::move(copy.m_data);
        m_width = copy.m_width;
        m_height = copy.m_height;
        m_grayscale = copy.m_grayscale;
        m_progressive = copy.m_progressive;
        m_pixelFormat = copy.m_pixelFormat;
        m_bitmap = std::move(copy.m_bitmap);
    }
    return *this;
}

TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::loadFromStream(Stream& stream)
{
    const auto rest = stream.rest();
    std::vector<std::uint8_t> data(rest.begin(), rest.end());
    int width = 0, height = 0;
    bool grayscale = false, progressive = false;
    if (!data.empty()) {
        Decompressor decompressor(data);
        jpeg_decompress_struct& info = decompressor.info();
        if (setjmp(decompressor.errors().jump))
            throw jpegError(decompressor.errors().code);
        jpeg_read_header(&info, TRUE);
        width = static_cast<int>(info.image_width);
        height = static_cast<int>(info.image_height);
        grayscale = info.jpeg_color_space == JCS_GRAYSCALE;
        progressive = jpeg_has_multiple_scans(&info);
    }
    if (std::int64_t(width) * height > TBitmap::kMaxPixels)
        throw EJPEG("JPEG image of " + std::to_string(width) + " x " + std::to_string(height)
            + " pixels is larger than the limit of " + std::to_string(TBitmap::kMaxPixels) + " pixels");
    stream.seek(stream.size());
    m_data = std::move(data);
    m_width = width;
    m_height = height;
    m_grayscale = grayscale;
    m_progressive = progressive;
    m_bitmap.reset();
}

const TBitmap& TJPEGImage::Bitmap() const
{
    if (!m_bitmap) {
        auto bitmap = std::make_unique<TBitmap>();
        if (!m_data.empty()) {
            std::vector<std::uint8_t> cmykRow;
            decode(m_data, m_pixelFormat, *bitmap, cmykRow);
        }
        m_bitmap = std::move(bitmap);
    }
    return *m_bitmap;
}

void TJPEGImage::setPixelFormat(JPEGPixelFormat format)
{
    if (format != m_pixelFormat) {
        m_pixelFormat = format;
        m_bitmap.reset();
    }
}

} // namespace vantrelle::pictures
