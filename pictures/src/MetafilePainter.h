#pragma once

#include "Canvas.h"

#include <cstdint>
#include <vector>

namespace vantrelle::pictures {

// Pens and brushes as the records make them; an object of another kind only holds its table slot.
struct GdiObject {
    enum Kind { Pen, Brush, Other } kind = Other;
    bool visible = true; // false for null pens and hollow brushes
    CanvasColor color;
    double width = 0; // pens, in logical units
};

// The stock objects that a record may select by index (MS-WMF 2.1.1.23, StockObject).
constexpr std::uint32_t kWhiteBrush = 0;
constexpr std::uint32_t kLightGrayBrush = 1;
constexpr std::uint32_t kGrayBrush = 2;
constexpr std::uint32_t kDarkGrayBrush = 3;
constexpr std::uint32_t kBlackBrush = 4;
constexpr std::uint32_t kNullBrush = 5;
constexpr std::uint32_t kWhitePen = 6;
constexpr std::uint32_t kBlackPen = 7;
constexpr std::uint32_t kNullPen = 8;
constexpr std::uint32_t kDcBrush = 18;
constexpr std::uint32_t kDcPen = 19;

// A COLORREF: red, green, blue, and a byte nobody draws with.
CanvasColor colorRef(const std::uint8_t* p);
GdiObject makePen(std::uint32_t style, double width, CanvasColor color);
GdiObject makeBrush(std::uint32_t style, CanvasColor color);
// The stock object with that index; false when there is none.
bool stockObject(std::uint32_t index, GdiObject& object);

// Logical point to pixel: the mapping is affine, scale then offset.
struct LogicalMapping {
    double scaleX = 1, scaleY = 1, offsetX = 0, offsetY = 0;
};

// What both metafile players draw with: the selected pen and brush, the current position, the fill
// mode, and the mapping from logical units to the bitmap's pixels.
class MetafilePainter {
public:
    explicit MetafilePainter(TBitmap& bitmap);

    LogicalMapping mapping;
    bool winding = false;
    CanvasPoint position;
    int skipped = 0; // records not drawn, and drawings the work budget refused

    CanvasPoint map(double x, double y) const
    {
        return { x * mapping.scaleX + mapping.offsetX, y * mapping.scaleY + mapping.offsetY };
    }

    void select(const GdiObject& object);
    void polyline(const std::vector<CanvasPoint>& points) { outline(points, false); }
    void polygon(const std::vector<CanvasPoint>& points);
    void rectangle(double left, double top, double right, double bottom);
    void ellipse(double left, double top, double right, double bottom);
    void lineTo(CanvasPoint to);

private:
    void outline(const std::vector<CanvasPoint>& points, bool closed);

    Canvas m_canvas;
    GdiObject m_pen;
    GdiObject m_brush;
};

} // namespace vantrelle::pictures
