// TGIFGraphic and TGIFFrame as converters: any picture to a frame holding a palette bitmap, and the
// image's bitmap.
#include "ShownBitmap.h"
#include "vantrelle/pictures/Errors.h"
#include "vantrelle/pictures/GIFImage.h"
#include "vantrelle/pictures/Icon.h"
#include "vantrelle/pictures/JPEGImage.h"
#include "vantrelle/pictures/Metafile.h"
#include "vantrelle/pictures/Picture.h"

#include <algorithm>
#include <cstring>

namespace vantrelle::pictures {

namespace {

constexpr int kMaxFrameSide = 0xFFFF;

std::string cannotAssign(const char* source, const char* target)
{
    return std::string("Cannot assign a ") + source + " to a " + target;
}

// A 24-bit bitmap of the given size, every pixel white.
TBitmap whiteBitmap(int width, int height)
{
    TBitmap bitmap(width, height, 24);
    std::fill(bitmap.pixels().begin(), bitmap.pixels().end(), 0xFF);
    return bitmap;
}

// Copies `picture` opaque onto the 24-bit `target` with its top-left corner at (left, top), clipped.
void drawOpaque(TBitmap& target, const TBitmap& picture, int left, int top)
{
    const int right = std::min(target.width(), left + picture.width());
    const int bottom = std::min(target.height(), top + picture.height());
    for (int y = std::max(top, 0); y < bottom; ++y) {
        std::uint8_t* row = target.scanLine(y);
        for (int x = std::max(left, 0); x < right; ++x) {
            const PaletteEntry colour = picture.pixelColor(x - left, y - top);
            row[3 * x] = colour.blue;
            row[3 * x + 1] = colour.green;
            row[3 * x + 2] = colour.red;
        }
    }
}

} // namespace

TBitmap bitmapOf(const TGraphic& source)
{
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(&source))
        return *bitmap;
    if (const auto* jpeg = dynamic_cast<const TJPEGImage*>(&source))
        return jpeg->Bitmap();
    if (const auto* gif = dynamic_cast<const TGIFGraphic*>(&source))
        return gif->Bitmap() != nullptr ? *gif->Bitmap() : TBitmap();
    if (const auto* metafile = dynamic_cast<const TMetafile*>(&source))
        return metafile->render().bitmap;
    if (const auto* icon = dynamic_cast<const TIcon*>(&source)) {
        // Icons do not copy into a bitmap: they are drawn onto a white 24-bit one of their size.
        TBitmap canvas = whiteBitmap(icon->width(), icon->height());
        drawOpaque(canvas, icon->largestImage(), 0, 0);
        return canvas;
    }
    throw EConvertError(cannotAssign(source.className(), "TGIFFrame"));
}

void TGIFFrame::clear()
{
    width = 0;
    height = 0;
    packed = 0;
    colorTable.clear();
    pixels.clear();
    extensions.clear();
    transparent = false;
    transparentIndex = 0;
    bitmap.reset();
}

void TGIFFrame::Assign(const TPicture& source)
{
    Assign(source.graphic());
}

void TGIFFrame::Assign(const TGraphic* source)
{
    if (const auto* picture = dynamic_cast<const TBitmap*>(source)) {
        assignBitmap(*picture);
        return;
    }
    clear();
    if (source == nullptr || source->empty())
        return;
    assignBitmap(bitmapOf(*source));
}

void TGIFFrame::assignBitmap(const TBitmap& source)
{
    clear();
    if (source.empty())
        return;
    // A GIF frame and logical screen measure at most 65535 pixels each way.
    if (source.width() > kMaxFrameSide || source.height() > kMaxFrameSide)
        throw EInvalidGraphic("Image is too large for a GIF frame");

    // The source is never converted in place: a true-colour bitmap is reduced where it stands.
    std::shared_ptr<TBitmap> made;
    if (source.bitsPerPixel() <= 8) {
        made = std::make_shared<TBitmap>(source);
    } else {
        made = ReduceToPaletteBitmap(source, m_image->reductionMode(), m_image->ditherKind());
    }

    std::vector<std::uint8_t> indices(static_cast<std::size_t>(source.width()) * source.height());
    auto out = indices.begin();
    for (int y = 0; y < made->height(); ++y) {
        const std::uint8_t* row = made->scanLine(y);
        if (made->bitsPerPixel() == 8) {
            out = std::copy_n(row, made->width(), out);
            continue;
        }
        for (int x = 0; x < made->width(); ++x)
            *out++ = static_cast<std::uint8_t>(made->pixelIndex(x, y));
    }
    GIFColorTable table;
    for (const PaletteEntry& entry : made->palette())
        table.push_back({ entry.red, entry.green, entry.blue });

    width = static_cast<std::uint16_t>(source.width());
    height = static_cast<std::uint16_t>(source.height());
    pixels = std::move(indices);
    colorTable = std::move(table);
    bitmap = std::move(made);
    GIFHeader& screen = m_image->header();
    screen.width = static_cast<std::uint16_t>(std::max<int>(screen.width, std::min(left + width, kMaxFrameSide)));
    screen.height = static_cast<std::uint16_t>(std::max<int>(screen.height, std::min(top + height, kMaxFrameSide)));
}

std::shared_ptr<const TBitmap> TGIFFrame::makeBitmap()
{
    if (bitmap || empty())
        return bitmap;
    auto made = std::make_shared<TBitmap>(width, height, 8);
    std::vector<PaletteEntry> palette;
    for (const GIFColor& colour : activeColorTable())
        palette.push_back({ colour.red, colour.green, colour.blue, 0 });
    made->setColorsUsed(static_cast<std::uint32_t>(std::min<std::size_t>(palette.size(), 256)));
    made->setPalette(std::move(palette));
    // Transparent pixels keep the colour of their table entry: no mask is applied.
    for (int y = 0; y < height && static_cast<std::size_t>(y + 1) * width <= pixels.size(); ++y)
        std::memcpy(made->scanLine(y), pixels.data() + static_cast<std::size_t>(y) * width, width);
    bitmap = std::move(made);
    return bitmap;
}

void TGIFGraphic::Assign(const TGraphic* source)
{
    if (source == this)
        return;
    if (source == nullptr) {
        clear();
        return;
    }
    if (const auto* gif = dynamic_cast<const TGIFGraphic*>(source)) {
        takeFrom(*gif);
        return;
    }
    assignNewFrame(source, source->className());
}

void TGIFGraphic::Assign(const TPicture& source)
{
    assignNewFrame(source.graphic(), "TPicture");
}

void TGIFGraphic::assignNewFrame(const TGraphic* graphic, const char* sourceClass)
{
    clear();
    auto frame = std::make_unique<TGIFFrame>(*this);
    try {
        frame->Assign(graphic);
    } catch (const EConvertError&) {
        clear();
        throw EConvertError(cannotAssign(sourceClass, className()));
    } catch (...) {
        clear();
        throw;
    }
    addFrame(std::move(frame));
}

const TBitmap* TGIFGraphic::Bitmap() const
{
    if (m_frames.empty())
        return nullptr;
    if (m_bitmap)
        return m_bitmap.get();
    TGIFFrame& first = *m_frames.front();
    std::shared_ptr<const TBitmap> picture = first.makeBitmap();
    if (first.width == m_header.width && first.height == m_header.height) {
        // The frame's bitmap is never changed once made, so the image shows it without a copy.
        m_bitmap = picture ? std::move(picture) : std::make_shared<const TBitmap>();
    } else {
        // A frame smaller than (or beside) the logical screen is drawn on white at its place.
        auto made = std::make_shared<TBitmap>(whiteBitmap(m_header.width, m_header.height));
        if (picture)
            drawOpaque(*made, *picture, first.left, first.top);
        m_bitmap = std::move(made);
    }
    return m_bitmap.get();
}

} // namespace vantrelle::pictures
