#include "MetafilePainter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vantrelle::pictures {

namespace {

// Work a drawing may do (pixels touched, polygon edges crossed), about a second's worth.
constexpr std::uint64_t kDrawingBudget = 400'000'000;

// Pen and brush styles (MS-WMF 2.1.1.23 PenStyle, 2.1.1.4 BrushStyle); any other draws solid.
constexpr std::uint32_t kSolidStyle = 0;
constexpr std::uint32_t kNullPenStyle = 5;
constexpr std::uint32_t kPenStyleMask = 0x0F;
constexpr std::uint32_t kHollowBrushStyle = 1;

} // namespace

CanvasColor colorRef(const std::uint8_t* p)
{
    return { p[0], p[1], p[2] };
}

GdiObject makePen(std::uint32_t style, double width, CanvasColor color)
{
    return { GdiObject::Pen, (style & kPenStyleMask) != kNullPenStyle, color, width };
}

GdiObject makeBrush(std::uint32_t style, CanvasColor color)
{
    return { GdiObject::Brush, style != kHollowBrushStyle, color, 0 };
}

bool stockObject(std::uint32_t index, GdiObject& object)
{
    static constexpr std::uint8_t kBrushGreys[] = { 255, 192, 128, 64, 0 }; // white ... black brush
    constexpr CanvasColor kWhite { 255, 255, 255 };
    constexpr CanvasColor kBlack { 0, 0, 0 };
    switch (index) {
    case kWhiteBrush:
    case kLightGrayBrush:
    case kGrayBrush:
    case kDarkGrayBrush:
    case kBlackBrush: {
        const std::uint8_t grey = kBrushGreys[index - kWhiteBrush];
        object = makeBrush(kSolidStyle, { grey, grey, grey });
        return true;
    }
    case kNullBrush:
        object = makeBrush(kHollowBrushStyle, {});
        return true;
    case kWhitePen:
        object = makePen(kSolidStyle, 0, kWhite);
        return true;
    case kBlackPen:
    case kDcPen:
        object = makePen(kSolidStyle, 0, kBlack);
        return true;
    case kNullPen:
        object = makePen(kNullPenStyle, 0, {});
        return true;
    case kDcBrush:
        object = makeBrush(kSolidStyle, kWhite);
        return true;
    default:
        return false;
    }
}

MetafilePainter::MetafilePainter(TBitmap& bitmap)
    : m_canvas(bitmap, kDrawingBudget)
{
    stockObject(kBlackPen, m_pen);
    stockObject(kWhiteBrush, m_brush);
}

void MetafilePainter::select(const GdiObject& object)
{
    if (object.kind == GdiObject::Pen)
        m_pen = object;
    else if (object.kind == GdiObject::Brush)
        m_brush = object;
}

void MetafilePainter::polygon(const std::vector<CanvasPoint>& points)
{
    if (m_brush.visible && !m_canvas.fillPolygon(points, m_brush.color, winding))
        ++skipped;
    outline(points, true);
}

void MetafilePainter::rectangle(double left, double top, double right, double bottom)
{
    polygon({ map(left, top), map(right, top), map(right, bottom), map(left, bottom) });
}

void MetafilePainter::ellipse(double left, double top, double right, double bottom)
{
    const CanvasPoint a = map(left, top), b = map(right, bottom);
    const double cx = (a.x + b.x) / 2, cy = (a.y + b.y) / 2;
    const double rx = std::fabs(b.x - a.x) / 2, ry = std::fabs(b.y - a.y) / 2;
    if (!std::isfinite(rx) || !std::isfinite(ry))
        return;
    const int steps = int(std::clamp((rx + ry) * 2, 16.0, 720.0));
    std::vector<CanvasPoint> points(static_cast<std::size_t>(steps));
    for (int i = 0; i < steps; ++i) {
        const double angle = 2 * std::numbers::pi * i / steps;
        points[std::size_t(i)] = { cx + rx * std::cos(angle), cy + ry * std::sin(angle) };
    }
    polygon(points);
}

void MetafilePainter::lineTo(CanvasPoint to)
{
    outline({ position, to }, false);
    position = to;
}

void MetafilePainter::outline(const std::vector<CanvasPoint>& points, bool closed)
{
    if (!m_pen.visible || points.size() < 2)
        return;
    const double pixels = m_pen.width * std::max(std::fabs(mapping.scaleX), std::fabs(mapping.scaleY));
    const int penWidth
        = std::isfinite(pixels) ? int(std::clamp(std::lround(pixels), 1L, long(Canvas::kMaxPenWidth))) : 1;
    if (!m_canvas.drawPolyline(points, m_pen.color, penWidth, closed))
        ++skipped;
}

} // namespace vantrelle::pictures
