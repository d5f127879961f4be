#pragma once

#include "Catalogue.h"

#include "vantrelle/app/DBImage.h"
#include "vantrelle/pictures/Bitmap.h"

#include <QByteArray>
#include <QImage>
#include <QPalette>
#include <QStringList>

#include <optional>
#include <span>
#include <vector>

using Cover = std::optional<QByteArray>;
Q_DECLARE_METATYPE(Cover)

// The pictures, covers and films that the tests of the cover control show and compare.
namespace vantrelle::test {

inline const QString notABitmap = QStringLiteral("Bitmap image is not valid.");

inline QByteArray bytesOf(const pictures::TBitmap& bitmap)
{
    const std::vector<std::uint8_t> bytes = bitmap.saveToBytes();
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

inline pictures::TBitmap bitmapOf(const QByteArray& bytes)
{
    pictures::TBitmap bitmap;
    bitmap.loadFromBlob(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), bytes.size()));
    return bitmap;
}

// Two by two pixels, 8 bits per pixel; the palette's order differs from the pixels' so a picture
// drawn through the wrong colours shows.
inline pictures::TBitmap fourColours()
{
    pictures::TBitmap bitmap(2, 2, 8);
    bitmap.setPalette({ { 30, 90, 200, 0 }, { 200, 30, 40, 0 }, { 240, 220, 20, 0 }, { 20, 160, 60, 0 } });
    bitmap.setColorsUsed(4);
    bitmap.scanLine(0)[0] = 1;
    bitmap.scanLine(0)[1] = 0;
    bitmap.scanLine(1)[0] = 3;
    bitmap.scanLine(1)[1] = 2;
    return bitmap;
}
inline const QStringList fourColoursShown { "#c81e28", "#1e5ac8", "#14a03c", "#f0dc14" };

// The value behind an 8-byte graphic header: count 1, type 0x0100, the size of the rest.
inline QByteArray withGraphicHeader(const QByteArray& value, int sizeError = 0)
{
    const auto size = static_cast<quint32>(value.size() + sizeError);
    QByteArray header("\x01\x00\x00\x01", 4);
    for (int shift = 0; shift < 32; shift += 8)
        header.append(static_cast<char>((size >> shift) & 0xFF));
    return header + value;
}

inline const QByteArray jpegStart = QByteArray::fromHex("ffd8ffe000104a46494600010101004800480000ffdb0043");

inline QImage indexedImage()
{
    QImage image(3, 5, QImage::Format_Indexed8);
    image.setColorTable({ qRgb(10, 20, 30), qRgb(250, 240, 5) });
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, (x + y) % 2);
    }
    return image;
}

inline QImage trueColourImage()
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(qRgb(40, 120, 220));
    image.setPixel(3, 2, qRgb(255, 0, 128));
    return image;
}

// The picture's size as drawn, "empty" when there is none.
inline QString shownSize(const app::DBImage& control)
{
    const QImage& image = control.image();
    return image.isNull() ? QStringLiteral("empty") : QStringLiteral("%1 x %2").arg(image.width()).arg(image.height());
}

// The colours in the middle of the control's four quarters, as drawn on the screen.
inline QStringList quarterColours(app::DBImage& control)
{
    const QImage drawn = control.grab().toImage();
    const QRect inside = control.contentsRect();
    QStringList colours;
    for (const QPointF& at : { QPointF(0.25, 0.25), QPointF(0.75, 0.25), QPointF(0.25, 0.75), QPointF(0.75, 0.75) }) {
        const QPoint point(
            inside.left() + qRound(inside.width() * at.x()), inside.top() + qRound(inside.height() * at.y()));
        colours.append(drawn.pixelColor(point).name());
    }
    return colours;
}

inline QStringList background(const app::DBImage& control)
{
    return QStringList(4, control.palette().color(QPalette::Base).name());
}

inline const std::vector<Film> threeFilms { { "Zulu", 1964 }, { "Alien", 1979 }, { "Brazil", 1985 } };

// Gives "Alien" the four-colour cover and "Brazil" `brazilCover`; "Zulu" has none.
inline void setCovers(Catalogue& catalogue, const Cover& brazilCover)
{
    catalogue.setCover("Alien", bytesOf(fourColours()));
    catalogue.setCover("Brazil", brazilCover);
}

} // namespace vantrelle::test
