#include "Canvas.h"

#include <algorithm>
#include <cmath>

namespace vantrelle::pictures {

Canvas::Canvas(TBitmap& bitmap, std::uint64_t budget)
    : m_bitmap(bitmap)
    , m_budget(budget)
{
}

bool Canvas::spend(std::uint64_t work)
{
    if (work > m_budget)
        return false;
    m_budget -= work;
    return true;
}

bool Canvas::fillPolygon(const std::vector<CanvasPoint>& points, CanvasColor color, bool winding)
{
    const int width = m_bitmap.width();
    const int height = m_bitmap.height();
    if (points.size() < 3 || width == 0 || height == 0)
        return true;
    double top = points[0].y, bottom = points[0].y;
    for (const auto& p : points) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            return true;
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    const int firstRow = int(std::clamp(std::floor(top), 0.0, double(height)));
    const int lastRow = int(std::clamp(std::ceil(bottom), 0.0, double(height)));
    if (!spend(std::uint64_t(lastRow - firstRow) * (points.size() + width)))
        return false;

    struct Crossing {
        double x;
        int direction;
    };
    std::vector<Crossing> crossings;
    for (int y = firstRow; y < lastRow; ++y) {
        const double sampleY = y + 0.5;
        crossings.clear();
        for (std::size_t i = 0; i < points.size(); ++i) {
            const CanvasPoint& a = points[i];
            const CanvasPoint& b = points[(i + 1) % points.size()];
            if ((a.y <= sampleY) == (b.y <= sampleY))
                continue;
            const double x = a.x + (sampleY - a.y) * (b.x - a.x) / (b.y - a.y);
            crossings.push_back({ x, b.y > a.y ? 1 : -1 });
        }
        std::sort(crossings.begin(), crossings.end(), [](const Crossing& l, const Crossing& r) { return l.x < r.x; });
        std::uint8_t* row = m_bitmap.scanLine(y);
        int inside = 0;
        for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
            inside = winding ? inside + crossings[i].direction : inside ^ 1;
            if (inside == 0)
                continue;
            // Pixels whose centres lie between the two crossings.
            const long from = long(std::clamp(std::ceil(crossings[i].x - 0.5), 0.0, double(width)));
            const long to = long(std::clamp(std::ceil(crossings[i + 1].x - 0.5), 0.0, double(width)));
            for (long x = from; x < to; ++x) {
                row[3 * x] = color.blue;
                row[3 * x + 1] = color.green;
                row[3 * x + 2] = color.red;
            }
        }
    }
    return true;
}

bool Canvas::drawPolyline(const std::vector<CanvasPoint>& points, CanvasColor color, int penWidth, bool closed)
{
    penWidth = std::clamp(penWidth, 1, kMaxPenWidth);
    const std::size_t segments = closed ? points.size() : (points.empty() ? 0 : points.size() - 1);
    const std::uint64_t perSegment = std::uint64_t(m_bitmap.width() + m_bitmap.height() + 2) * penWidth * penWidth;
    if (!spend(segments * perSegment))
        return false;
    for (std::size_t i = 0; i < segments; ++i)
        drawLine(points[i], points[(i + 1) % points.size()], color, penWidth);
    return true;
}

void Canvas::drawLine(CanvasPoint from, CanvasPoint to, CanvasColor color, int penWidth)
{
    if (!std::isfinite(from.x) || !std::isfinite(from.y) || !std::isfinite(to.x) || !std::isfinite(to.y))
        return;
    // Clip to the bitmap widened by the pen (Liang-Barsky), so that the walk below stays short.
    const double margin = penWidth;
    const double minX = -margin, minY = -margin;
    const double maxX = m_bitmap.width() + margin, maxY = m_bitmap.height() + margin;
    double t0 = 0, t1 = 1;
    const double dx = to.x - from.x, dy = to.y - from.y;
    const double p[4] = { -dx, dx, -dy, dy };
    const double q[4] = { from.x - minX, maxX - from.x, from.y - minY, maxY - from.y };
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return;
    }
    long x0 = std::lround(from.x + t0 * dx), y0 = std::lround(from.y + t0 * dy);
    const long x1 = std::lround(from.x + t1 * dx), y1 = std::lround(from.y + t1 * dy);
    // Bresenham's line.
    const long stepX = x0 < x1 ? 1 : -1, stepY = y0 < y1 ? 1 : -1;
    const long distanceX = std::labs(x1 - x0), distanceY = -std::labs(y1 - y0);
    long error = distanceX + distanceY;
    for (;;) {
        stamp(x0, y0, color, penWidth);
        if (x0 == x1 && y0 == y1)
            break;
        const long doubled = 2 * error;
        if (doubled >= distanceY) {
            error += distanceY;
            x0 += stepX;
        }
        if (doubled <= distanceX) {
            error += distanceX;
            y0 += stepY;
        }
    }
}

void Canvas::stamp(long x, long y, CanvasColor color, int penWidth)
{
    const long half = (penWidth - 1) / 2;
    const long left = std::max(0L, x - half), right = std::min(long(m_bitmap.width()), x - half + penWidth);
    const long top = std::max(0L, y - half), bottom = std::min(long(m_bitmap.height()), y - half + penWidth);
    for (long row = top; row < bottom; ++row) {
        std::uint8_t* pixels = m_bitmap.scanLine(int(row));
        for (long column = left; column < right; ++column) {
            pixels[3 * column] = color.blue;
            pixels[3 * column + 1] = color.green;
            pixels[3 * column + 2] = color.red;
        }
    }
}

} // namespace vantrelle::pictures
