#include "vantrelle/app/BitmapImage.h"

#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/pictures/GIFImage.h"
#include "vantrelle/pictures/Icon.h"
#include "vantrelle/pictures/JPEGImage.h"

#include <cstring>

namespace vantrelle::app {

using pictures::PaletteEntry;
using pictures::TBitmap;

namespace {

QImage indexedImage(const TBitmap& bitmap)
{
    QImage image(bitmap.width(), bitmap.height(), QImage::Format_Indexed8);
    // Every index the depth allows has a colour, so no pixel falls outside the table.
    QList<QRgb> colours(1 << bitmap.bitsPerPixel(), qRgb(0, 0, 0));
    const std::vector<PaletteEntry>& palette = bitmap.palette();
    for (std::size_t i = 0; i < palette.size() && i < static_cast<std::size_t>(colours.size()); ++i)
        colours[static_cast<qsizetype>(i)] = qRgb(palette[i].red, palette[i].green, palette[i].blue);
    image.setColorTable(colours);
    for (int y = 0; y < bitmap.height(); ++y) {
        uchar* target = image.scanLine(y);
        for (int x = 0; x < bitmap.width(); ++x)
            target[x] = static_cast<uchar>(bitmap.pixelIndex(x, y));
    }
    return image;
}

QImage trueColourImage(const TBitmap& bitmap)
{
    if (bitmap.bitsPerPixel() == 24) {
        QImage image(bitmap.width(), bitmap.height(), QImage::Format_BGR888);
        for (int y = 0; y < bitmap.height(); ++y)
            std::memcpy(image.scanLine(y), bitmap.scanLine(y), static_cast<std::size_t>(bitmap.width()) * 3);
        return image;
    }
    // 16 and 32 bits: the masks decide where each colour lies.
    QImage image(bitmap.width(), bitmap.height(), QImage::Format_RGB32);
    for (int y = 0; y < bitmap.height(); ++y) {
        auto* target = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < bitmap.width(); ++x) {
            const PaletteEntry colour = bitmap.pixelColor(x, y);
            target[x] = qRgb(colour.red, colour.green, colour.blue);
        }
    }
    return image;
}

TBitmap bitmapWithRows(const QImage& image, int bitsPerPixel, std::size_t rowBytes)
{
    TBitmap bitmap(image.width(), image.height(), bitsPerPixel);
    for (int y = 0; y < bitmap.height(); ++y)
        std::memcpy(bitmap.scanLine(y), image.constScanLine(y), rowBytes);
    return bitmap;
}

void takeColourTable(TBitmap& bitmap, const QImage& image)
{
    std::vector<PaletteEntry> palette;
    for (const QRgb colour : image.colorTable())
        palette.push_back({ static_cast<std::uint8_t>(qRed(colour)), static_cast<std::uint8_t>(qGreen(colour)),
            static_cast<std::uint8_t>(qBlue(colour)), 0 });
    bitmap.setPalette(std::move(palette));
    bitmap.setColorsUsed(static_cast<std::uint32_t>(bitmap.palette().size()));
}

} // namespace

QImage toQImage(const TBitmap& bitmap)
{
    if (bitmap.empty())
        return QImage();
    return bitmap.bitsPerPixel() <= 8 ? indexedImage(bitmap) : trueColourImage(bitmap);
}

TBitmap fromQImage(const QImage& image)
{
    if (image.isNull())
        return TBitmap();
    if (image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB) {
        const QImage mono = image.convertToFormat(QImage::Format_Mono);
        TBitmap bitmap = bitmapWithRows(mono, 1, (static_cast<std::size_t>(mono.width()) + 7) / 8);
        takeColourTable(bitmap, mono);
        return bitmap;
    }
    if (image.format() == QImage::Format_Indexed8) {
        TBitmap bitmap = bitmapWithRows(image, 8, static_cast<std::size_t>(image.width()));
        takeColourTable(bitmap, image);
        return bitmap;
    }
    const QImage opaque = image.convertToFormat(QImage::Format_BGR888);
    return bitmapWithRows(opaque, 24, static_cast<std::size_t>(opaque.width()) * 3);
}

QImage graphicImage(const pictures::TGraphic& graphic)
{
    if (graphic.empty())
        return QImage();
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(&graphic))
        return toQImage(*bitmap);
    if (const auto* jpeg = dynamic_cast<const pictures::TJPEGImage*>(&graphic))
        return toQImage(jpeg->Bitmap());
    if (const auto* gif = dynamic_cast<const pictures::TGIFGraphic*>(&graphic))
        return gif->Bitmap() ? toQImage(*gif->Bitmap()) : QImage();
    if (const auto* icon = dynamic_cast<const pictures::TIcon*>(&graphic))
        return toQImage(icon->largestImage());
    return QImage();
}

} // namespace vantrelle::app
