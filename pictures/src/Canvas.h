#pragma once

#include "vantrelle/pictures/Bitmap.h"

#include <cstdint>
#include <vector>

namespace vantrelle::pictures {

struct CanvasPoint {
    double x = 0;
    double y = 0;
};

struct CanvasColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

// Draws solid lines and filled polygons onto a 24-bit bitmap. Each call spends from a work budget
// (pixels touched, edges crossed), so that hostile drawing instructions cannot take unbounded time; a
// call that would exceed it draws nothing and returns false.
class Canvas {
public:
    static constexpr int kMaxPenWidth = 64;

    Canvas(TBitmap& bitmap, std::uint64_t budget);

    bool fillPolygon(const std::vector<CanvasPoint>& points, CanvasColor color, bool winding);
    // A polyline of the given pen width in pixels (at least 1, at most kMaxPenWidth); closed joins the ends.
    bool drawPolyline(const std::vector<CanvasPoint>& points, CanvasColor color, int penWidth, bool closed);

private:
    bool spend(std::uint64_t work);
    void drawLine(CanvasPoint from, CanvasPoint to, CanvasColor color, int penWidth);
    void stamp(long x, long y, CanvasColor color, int penWidth);

    TBitmap& m_bitmap;
    std::uint64_t m_budget;
};

} // namespace vantrelle::pictures
