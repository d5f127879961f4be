#pragma once

// GIF87a / GIF89a reader.
//
// Limitations: a frame may hold at most kMaxGIFFramePixels pixels and all frames of one image together at
// most kMaxGIFTotalPixels, so a small hostile file cannot make the reader allocate gigabytes; larger files
// fail with EGIFError saying so. An LZW minimum code size above 11 is refused as corrupt data, because the
// 4096-entry code table could not hold the first codes. Codes that name a table entry not yet defined fail
// with "Circular decoder table entry". Damaged image data are otherwise read as far as they go (warnings).
//
// As a converter, an image assigned any picture becomes one frame holding a palette bitmap (pictures of more
// than 8 bits per pixel reduced to 256 colours); frames are at most 65535 x 65535 pixels, as in a GIF file.

#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/pictures/ColorReduction.h"
#include "vantrelle/pictures/Graphic.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace vantrelle::pictures {

class TGIFGraphic;
class TPicture;

inline constexpr std::uint64_t kMaxGIFFramePixels = 64ull * 1024 * 1024;
inline constexpr std::uint64_t kMaxGIFTotalPixels = 256ull * 1024 * 1024;

struct GIFColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const GIFColor&, const GIFColor&) = default;
};

using GIFColorTable = std::vector<GIFColor>;

// The logical screen descriptor with the global colour table (GIF89a, sections 18 and 19).
struct GIFHeader {
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint8_t packed = 0;
    std::uint8_t backgroundIndex = 0;
    std::uint8_t aspectRatio = 0;
    GIFColorTable globalColorTable; // empty when the file has none
};

// GIF89a, section 23.
struct GIFGraphicControlExtension {
    std::uint8_t blockSize = 4;
    std::uint8_t packed = 0;
    std::uint16_t delay = 0; // hundredths of a second
    std::uint8_t transparentIndex = 0;

    int disposal() const { return (packed >> 2) & 7; }
    bool userInput() const { return (packed & 2) != 0; }
    bool transparent() const { return (packed & 1) != 0; }
};

// GIF89a, section 24: the comment's data sub-blocks joined.
struct GIFCommentExtension {
    std::vector<std::uint8_t> text;
};

// GIF89a, section 25: the 12-byte header block and the text's data sub-blocks joined.
struct GIFTextExtension {
    std::vector<std::uint8_t> header;
    std::vector<std::uint8_t> text;
};

// GIF89a, section 26: the identifier block (8-byte identifier, 3-byte authentication code, or as many
// bytes as its block size says) and the application data sub-blocks joined.
struct GIFApplicationExtension {
    std::vector<std::uint8_t> identifierBlock;
    std::vector<std::uint8_t> data;
};

using GIFExtension
    = std::variant<GIFGraphicControlExtension, GIFCommentExtension, GIFTextExtension, GIFApplicationExtension>;

// One image of a GIF file with the extensions that stood before it.
class TGIFFrame {
public:
    explicit TGIFFrame(TGIFGraphic& image)
        : m_image(&image)
    {
    }

    TGIFGraphic& image() const { return *m_image; }

    std::uint16_t left = 0;
    std::uint16_t top = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint8_t packed = 0; // local table flag, interlace flag, table size (GIF89a, section 20)
    GIFColorTable colorTable; // the local colour table; empty when the frame has none
    std::vector<std::uint8_t> pixels; // width x height palette indices, rows from the top, in display order
    std::vector<GIFExtension> extensions;
    bool transparent = false;
    std::uint8_t transparentIndex = 0;
    // The frame's bitmap: made when the frame is assigned a picture, or from the pixels on the image's
    // first Bitmap request. Never changed once made, so copies of the frame may share it.
    std::shared_ptr<const TBitmap> bitmap;

    // Makes the frame show a picture: a bitmap of 1, 4 or 8 bits per pixel is taken over with its own
    // palette, a deeper one is reduced with the image's reduction mode and dither kind, and any other
    // picture is first turned into a bitmap (a JPEG picture gives its decoded bitmap). Null or an empty
    // picture leaves the frame empty. EConvertError "Cannot assign a %s to a %s" for a picture that
    // cannot be turned into a bitmap.
    void Assign(const TGraphic* source);
    void Assign(const TPicture& source);
    // Empties the frame: no size, pixels, colour table, extensions, transparency or bitmap.
    void clear();

    bool empty() const { return pixels.empty(); }
    bool interlaced() const { return (packed & 0x40) != 0; }
    // The first graphic control extension before the image, or null.
    const GIFGraphicControlExtension* graphicControlExtension() const;
    // The local table when it has entries, else the global table when that has entries, else the empty local table.
    const GIFColorTable& activeColorTable() const;

private:
    friend class TGIFGraphic;
    void assignBitmap(const TBitmap& source);
    // The frame's bitmap, made from the pixels and the active colour table when it has none; null
    // for an empty frame.
    std::shared_ptr<const TBitmap> makeBitmap();

    TGIFGraphic* m_image;
};

// Flags of TGIFGraphic::drawOptions().
enum GIFDrawOption : std::uint32_t {
    // On displays of 8 bits per pixel or less, frames of GIF files are drawn by dithering...
    kGIFDither = 1,
    // ...chosen automatically from the display's depth.
    kGIFAutoDither = 2,
};

class TGIFGraphic : public TGraphic {
public:
    using WarningHandler = std::function<void(const std::string& message)>;

    TGIFGraphic() = default;
    TGIFGraphic(const TGIFGraphic& other);
    TGIFGraphic& operator=(const TGIFGraphic& other);
    ~TGIFGraphic() override;

    const char* className() const override { return "TGIFGraphic"; }
    bool empty() const override { return m_frames.empty(); }
    int width() const override { return m_header.width; }
    int height() const override { return m_header.height; }
    std::unique_ptr<TGraphic> clone() const override { return std::make_unique<TGIFGraphic>(*this); }

    // Reads a GIF file from the stream's position. On failure the stream is back where it was.
    void loadFromStream(Stream& stream) override;

    void clear();

    // Takes a picture: itself does nothing; null clears the image; another TGIFGraphic is copied with
    // its header, frames and settings (nothing is reduced); any other picture becomes the one frame of
    // the cleared image (TGIFFrame::Assign). On failure the image stays cleared; a picture that cannot
    // be converted fails with EConvertError "Cannot assign a <source class> to a TGIFGraphic".
    void Assign(const TGraphic* source);
    void Assign(const TPicture& source);

    // The image's bitmap: frame 0 shown on the logical screen. Null when there is no frame; empty when
    // frame 0 is empty. Made on the first request and kept until a frame is added or the image is cleared.
    const TBitmap* Bitmap() const;

    TReductionMode reductionMode() const { return m_reductionMode; }
    void setReductionMode(TReductionMode mode) { m_reductionMode = mode; }
    TDitherKind ditherKind() const { return m_ditherKind; }
    void setDitherKind(TDitherKind kind) { m_ditherKind = kind; }
    std::uint32_t drawOptions() const { return m_drawOptions; }
    void setDrawOptions(std::uint32_t options) { m_drawOptions = options; }

    GIFHeader& header() { return m_header; }
    const GIFHeader& header() const { return m_header; }
    const std::vector<std::unique_ptr<TGIFFrame>>& frames() const { return m_frames; }
    // Appends a frame made for this image and returns it.
    TGIFFrame& addFrame(std::unique_ptr<TGIFFrame> frame);

    // Receives the reader's warnings ("Premature end of data", "Unknown GIF block type", ...); none by default.
    void setWarningHandler(WarningHandler handler) { m_onWarning = std::move(handler); }

protected:
    void warning(const std::string& message) const;

private:
    friend class GIFReader;
    void takeFrom(const TGIFGraphic& source);
    // Clears the image and makes `graphic` its one frame; `sourceClass` names the source in a conversion error.
    void assignNewFrame(const TGraphic* graphic, const char* sourceClass);

    GIFHeader m_header;
    std::vector<std::unique_ptr<TGIFFrame>> m_frames;
    WarningHandler m_onWarning;
    TReductionMode m_reductionMode = TReductionMode::OptimalWithSystemColors;
    TDitherKind m_ditherKind = TDitherKind::NearestColor;
    std::uint32_t m_drawOptions = kGIFDither | kGIFAutoDither;
    mutable std::shared_ptr<const TBitmap> m_bitmap;
};

} // namespace vantrelle::pictures
