#include "vantrelle/app/Glyphs.h"

#include <QPainter>
#include <QPixmap>

#include <vector>

namespace vantrelle::app {

namespace {

constexpr int kCellSize = 18;

// The sixteen colours of the classic VGA palette.
const QList<QRgb>& sixteenColours()
{
    static const QList<QRgb> colours {
        qRgb(0, 0, 0),
        qRgb(128, 0, 0),
        qRgb(0, 128, 0),
        qRgb(128, 128, 0),
        qRgb(0, 0, 128),
        qRgb(128, 0, 128),
        qRgb(0, 128, 128),
        qRgb(128, 128, 128),
        qRgb(192, 192, 192),
        qRgb(255, 0, 0),
        qRgb(0, 255, 0),
        qRgb(255, 255, 0),
        qRgb(0, 0, 255),
        qRgb(255, 0, 255),
        qRgb(0, 255, 255),
        qRgb(255, 255, 255),
    };
    return colours;
}

const QColor background(0, 128, 128); // teal: used by neither glyph, so it can be transparent
const QColor shadowGrey(128, 128, 128);
const QColor highlightWhite(255, 255, 255);

// The strokes of each glyph inside one 18 x 18 cell.
std::vector<QLine> strokes(Glyph glyph)
{
    if (glyph == Glyph::CheckMark)
        return { QLine(3, 9, 7, 13), QLine(7, 13, 14, 4) };
    return { QLine(4, 4, 13, 13), QLine(13, 4, 4, 13) };
}

QColor inkColour(Glyph glyph)
{
    return glyph == Glyph::CheckMark ? QColor(0, 128, 0) : QColor(255, 0, 0);
}

void drawStrokes(QPainter& painter, const std::vector<QLine>& lines, QPoint offset, const QColor& colour)
{
    painter.setPen(QPen(colour, 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    for (const QLine& line : lines)
        painter.drawLine(line.translated(offset));
}

} // namespace

QImage glyphBitmap(Glyph glyph)
{
    QImage canvas(2 * kCellSize, kCellSize, QImage::Format_RGB32);
    canvas.fill(background);
    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::Antialiasing, false);
        const auto lines = strokes(glyph);
        drawStrokes(painter, lines, QPoint(0, 0), inkColour(glyph));
        // The disabled image: the shape embossed, a white highlight under a grey shadow.
        drawStrokes(painter, lines, QPoint(kCellSize + 1, 1), highlightWhite);
        drawStrokes(painter, lines, QPoint(kCellSize, 0), shadowGrey);
    }
    return canvas.convertToFormat(QImage::Format_Indexed8, sixteenColours(), Qt::ThresholdDither | Qt::AvoidDither);
}

QIcon glyphIcon(Glyph glyph)
{
    QImage bitmap = glyphBitmap(glyph).convertToFormat(QImage::Format_ARGB32);
    const QRgb transparentColour = bitmap.pixel(0, bitmap.height() - 1);
    for (int y = 0; y < bitmap.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(bitmap.scanLine(y));
        for (int x = 0; x < bitmap.width(); ++x) {
            if (line[x] == transparentColour)
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(bitmap.copy(0, 0, kCellSize, kCellSize)), QIcon::Normal);
    icon.addPixmap(QPixmap::fromImage(bitmap.copy(kCellSize, 0, kCellSize, kCellSize)), QIcon::Disabled);
    return icon;
}

} // namespace vantrelle::app
