#include "vantrelle/pictures/Metafile.h"

#include "Canvas.h"
#include "LittleEndian.h"
#include "vantrelle/pictures/Errors.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <optional>
#include <set>

namespace vantrelle::pictures {

namespace {

constexpr const char* kInvalidMetafile = "Metafile is not valid";
constexpr std::uint32_t kEnhancedSignature = 0x464D4520; // " EMF"
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kPlaceableHeaderSize = 22;
constexpr int kPixelsPerInch = 96;
// Work a drawing may do (pixels touched, polygon edges crossed), about a second's worth.
constexpr std::uint64_t kDrawingBudget = 400'000'000;

int pixelsFromHundredthsOfMm(std::int64_t size)
{
    return int(std::clamp<std::int64_t>((size * kPixelsPerInch + 1270) / 2540, 0, 1 << 30));
}

// Pens and brushes as the records make them; an object of another kind only holds its table slot.
struct GdiObject {
    enum Kind { Pen, Brush, Other } kind = Other;
    bool visible = true; // false for null pens and hollow brushes
    CanvasColor color;
    double width = 0; // pens, in logical units
};

CanvasColor colorRef(const std::uint8_t* p)
{
    return { p[0], p[1], p[2] };
}

GdiObject makePen(std::uint32_t style, double width, CanvasColor color)
{
    constexpr std::uint32_t kNullPen = 5;
    return { GdiObject::Pen, (style & 0x0F) != kNullPen, color, width };
}

GdiObject makeBrush(std::uint32_t style, CanvasColor color)
{
    constexpr std::uint32_t kHollowBrush = 1;
    return { GdiObject::Brush, style != kHollowBrush, color, 0 };
}

// The stock objects GetStockObject gives (WHITE_BRUSH ... NULL_PEN, DC_BRUSH, DC_PEN).
bool stockObject(std::uint32_t index, GdiObject& object)
{
    static constexpr std::uint8_t brushGreys[] = { 255, 192, 128, 64, 0 };
    if (index <= 4)
        object = makeBrush(0, { brushGreys[index], brushGreys[index], brushGreys[index] });
    else if (index == 5)
        object = makeBrush(1, {});
    else if (index == 6)
        object = makePen(0, 0, { 255, 255, 255 });
    else if (index == 7 || index == 19)
        object = makePen(0, 0, { 0, 0, 0 });
    else if (index == 8)
        object = makePen(5, 0, {});
    else if (index == 18)
        object = makeBrush(0, { 255, 255, 255 });
    else
        return false;
    return true;
}

// What both metafile kinds draw with: the selected pen and brush, the current position, the fill mode,
// and the mapping from logical units to the bitmap's pixels.
class Painter {
public:
    Painter(TBitmap& bitmap)
        : m_canvas(bitmap, kDrawingBudget)
    {
        stockObject(7, m_pen);
        stockObject(0, m_brush);
    }

    // Logical point to pixel: the mapping is affine, scale then offset.
    double scaleX = 1, scaleY = 1, offsetX = 0, offsetY = 0;
    bool winding = false;
    CanvasPoint position;
    int skipped = 0;

    CanvasPoint Map(double x, double y) const { return { x * scaleX + offsetX, y * scaleY + offsetY }; }

    void Select(const GdiObject& object)
    {
        if (object.kind == GdiObject::Pen)
            m_pen = object;
        else if (object.kind == GdiObject::Brush)
            m_brush = object;
    }

    void Polyline(const std::vector<CanvasPoint>& points) { Outline(points, false); }

    void Polygon(const std::vector<CanvasPoint>& points)
    {
        if (m_brush.visible && !m_canvas.FillPolygon(points, m_brush.color, winding))
            ++skipped;
        Outline(points, true);
    }

    void Rectangle(double left, double top, double right, double bottom)
    {
        Polygon({ Map(left, top), Map(right, top), Map(right, bottom), Map(left, bottom) });
    }

    void Ellipse(double left, double top, double right, double bottom)
    {
        const CanvasPoint a = Map(left, top), b = Map(right, bottom);
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
        Polygon(points);
    }

    void LineTo(CanvasPoint to)
    {
        Outline({ position, to }, false);
        position = to;
    }

private:
    void Outline(const std::vector<CanvasPoint>& points, bool closed)
    {
        if (!m_pen.visible || points.size() < 2)
            return;
        const double pixels = m_pen.width * std::max(std::fabs(scaleX), std::fabs(scaleY));
        const int penWidth
            = std::isfinite(pixels) ? int(std::clamp(std::lround(pixels), 1L, long(Canvas::MaxPenWidth))) : 1;
        if (!m_canvas.DrawPolyline(points, m_pen.color, penWidth, closed))
            ++skipped;
    }

    Canvas m_canvas;
    GdiObject m_pen;
    GdiObject m_brush;
};

// Enhanced metafile records (MS-EMF, 2.3).
enum : std::uint32_t {
    EMR_HEADER = 1,
    EMR_POLYGON = 3,
    EMR_POLYLINE = 4,
    EMR_POLYLINETO = 6,
    EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10,
    EMR_SETVIEWPORTEXTEX = 11,
    EMR_SETVIEWPORTORGEX = 12,
    EMR_EOF = 14,
    EMR_SETMAPMODE = 17,
    EMR_SETPOLYFILLMODE = 19,
    EMR_MOVETOEX = 27,
    EMR_SELECTOBJECT = 37,
    EMR_CREATEPEN = 38,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40,
    EMR_ELLIPSE = 42,
    EMR_RECTANGLE = 43,
    EMR_LINETO = 54,
    EMR_POLYGON16 = 86,
    EMR_POLYLINE16 = 87,
    EMR_POLYLINETO16 = 89,
    EMR_EXTCREATEPEN = 95,
};

class EnhancedPlayer {
public:
    EnhancedPlayer(std::span<const std::uint8_t> data, Painter& painter, int width, int height)
        : m_data(data)
        , m_painter(painter)
        , m_width(width)
        , m_height(height)
    {
        const std::uint8_t* header = data.data();
        // The frame (hundredths of a millimetre) in reference-device pixels is what the bitmap shows.
        const double deviceX = les32(header + 72), deviceY = les32(header + 76);
        const double millimetresX = les32(header + 80), millimetresY = les32(header + 84);
        if (deviceX > 0 && deviceY > 0 && millimetresX > 0 && millimetresY > 0) {
            m_pixelsPerMmX = deviceX / millimetresX;
            m_pixelsPerMmY = deviceY / millimetresY;
            m_frameLeft = les32(header + 24) / 100.0 * m_pixelsPerMmX;
            m_frameTop = les32(header + 28) / 100.0 * m_pixelsPerMmY;
            m_frameWidth = (double(les32(header + 32)) - les32(header + 24)) / 100.0 * m_pixelsPerMmX;
            m_frameHeight = (double(les32(header + 36)) - les32(header + 28)) / 100.0 * m_pixelsPerMmY;
        } else {
            m_frameLeft = les32(header + 8);
            m_frameTop = les32(header + 12);
            m_frameWidth = double(les32(header + 16)) - les32(header + 8);
            m_frameHeight = double(les32(header + 20)) - les32(header + 12);
        }
        UpdateMapping();
    }

    void Play()
    {
        std::size_t at = 0;
        while (m_data.size() - at >= 8) {
            const std::uint8_t* record = m_data.data() + at;
            const std::uint32_t type = le32(record);
            const std::uint32_t size = le32(record + 4);
            if (size < 8 || size % 4 != 0 || size > m_data.size() - at || type == EMR_EOF)
                return;
            if (!Record(type, std::span(record, size)))
                ++m_painter.skipped;
            at += size;
        }
    }

private:
    // Interprets one record; false when it is not one this player knows.
    bool Record(std::uint32_t type, std::span<const std::uint8_t> r)
    {
        const auto need = [&](std::size_t bytes) { return r.size() >= bytes; };
        const std::uint8_t* p = r.data();
        switch (type) {
        case EMR_HEADER:
            return true;
        case EMR_MOVETOEX:
            if (!need(16))
                return false;
            m_painter.position = m_painter.Map(les32(p + 8), les32(p + 12));
            return true;
        case EMR_LINETO:
            if (!need(16))
                return false;
            m_painter.LineTo(m_painter.Map(les32(p + 8), les32(p + 12)));
            return true;
        case EMR_POLYGON:
        case EMR_POLYLINE:
        case EMR_POLYLINETO:
        case EMR_POLYGON16:
        case EMR_POLYLINE16:
        case EMR_POLYLINETO16: {
            if (!need(28))
                return false;
            const bool small = type == EMR_POLYGON16 || type == EMR_POLYLINE16 || type == EMR_POLYLINETO16;
            const std::size_t pointSize = small ? 4 : 8;
            const std::uint64_t count = le32(p + 24);
            if (count > (r.size() - 28) / pointSize)
                return false;
            std::vector<CanvasPoint> points;
            points.reserve(std::size_t(count) + 1);
            if (type == EMR_POLYLINETO || type == EMR_POLYLINETO16)
                points.push_back(m_painter.position);
            for (std::size_t i = 0; i < count; ++i) {
                const std::uint8_t* point = p + 28 + i * pointSize;
                points.push_back(small ? m_painter.Map(les16(point), les16(point + 2))
                                       : m_painter.Map(les32(point), les32(point + 4)));
            }
            if (type == EMR_POLYGON || type == EMR_POLYGON16) {
                m_painter.Polygon(points);
            } else {
                m_painter.Polyline(points);
                if (!points.empty() && (type == EMR_POLYLINETO || type == EMR_POLYLINETO16))
                    m_painter.position = points.back();
            }
            return true;
        }
        case EMR_RECTANGLE:
        case EMR_ELLIPSE:
            if (!need(24))
                return false;
            if (type == EMR_RECTANGLE)
                m_painter.Rectangle(les32(p + 8), les32(p + 12), les32(p + 16), les32(p + 20));
            else
                m_painter.Ellipse(les32(p + 8), les32(p + 12), les32(p + 16), les32(p + 20));
            return true;
        case EMR_CREATEPEN:
            if (!need(28))
                return false;
            m_objects[le32(p + 8)] = makePen(le32(p + 12), les32(p + 16), colorRef(p + 24));
            return true;
        case EMR_EXTCREATEPEN:
            if (!need(44))
                return false;
            m_objects[le32(p + 8)] = makePen(le32(p + 28), le32(p + 32), colorRef(p + 40));
            return true;
        case EMR_CREATEBRUSHINDIRECT:
            if (!need(24))
                return false;
            m_objects[le32(p + 8)] = makeBrush(le32(p + 12), colorRef(p + 16));
            return true;
        case EMR_SELECTOBJECT: {
            if (!need(12))
                return false;
            const std::uint32_t handle = le32(p + 8);
            GdiObject object;
            if (handle & 0x80000000u) {
                if (!stockObject(handle & 0x7FFFFFFFu, object))
                    return false;
            } else {
                const auto found = m_objects.find(handle);
                if (found == m_objects.end())
                    return false;
                object = found->second;
            }
            m_painter.Select(object);
            return true;
        }
        case EMR_DELETEOBJECT:
            if (!need(12))
                return false;
            m_objects.erase(le32(p + 8));
            return true;
        case EMR_SETPOLYFILLMODE:
            if (!need(12))
                return false;
            m_painter.winding = le32(p + 8) == 2;
            return true;
        case EMR_SETMAPMODE:
            if (!need(12))
                return false;
            m_mapMode = le32(p + 8);
            UpdateMapping();
            return true;
        case EMR_SETWINDOWEXTEX:
        case EMR_SETWINDOWORGEX:
        case EMR_SETVIEWPORTEXTEX:
        case EMR_SETVIEWPORTORGEX: {
            if (!need(16))
                return false;
            double* target = type == EMR_SETWINDOWEXTEX ? m_windowExt
                : type == EMR_SETWINDOWORGEX            ? m_windowOrg
                : type == EMR_SETVIEWPORTEXTEX          ? m_viewportExt
                                                        : m_viewportOrg;
            target[0] = les32(p + 8);
            target[1] = les32(p + 12);
            UpdateMapping();
            return true;
        }
        default:
            return false;
        }
    }

    // Logical units to reference-device pixels (the map mode), then the frame onto the bitmap.
    void UpdateMapping()
    {
        double unitsX = 1, unitsY = 1; // device pixels per logical unit
        const auto metric = [&](double millimetres) {
            unitsX = millimetres * m_pixelsPerMmX;
            unitsY = -millimetres * m_pixelsPerMmY; // these modes count y upwards
        };
        switch (m_mapMode) {
        case 2:
            metric(0.1);
            break; // MM_LOMETRIC
        case 3:
            metric(0.01);
            break; // MM_HIMETRIC
        case 4:
            metric(0.254);
            break; // MM_LOENGLISH
        case 5:
            metric(0.0254);
            break; // MM_HIENGLISH
        case 6:
            metric(25.4 / 1440);
            break; // MM_TWIPS
        case 7: // MM_ISOTROPIC
        case 8: // MM_ANISOTROPIC
            unitsX = m_windowExt[0] != 0 ? m_viewportExt[0] / m_windowExt[0] : 1;
            unitsY = m_windowExt[1] != 0 ? m_viewportExt[1] / m_windowExt[1] : 1;
            break;
        default:
            break; // MM_TEXT
        }
        const double toBitmapX = m_frameWidth != 0 ? m_width / m_frameWidth : 1;
        const double toBitmapY = m_frameHeight != 0 ? m_height / m_frameHeight : 1;
        m_painter.scaleX = unitsX * toBitmapX;
        m_painter.scaleY = unitsY * toBitmapY;
        m_painter.offsetX = (m_viewportOrg[0] - m_windowOrg[0] * unitsX - m_frameLeft) * toBitmapX;
        m_painter.offsetY = (m_viewportOrg[1] - m_windowOrg[1] * unitsY - m_frameTop) * toBitmapY;
    }

    std::span<const std::uint8_t> m_data;
    Painter& m_painter;
    int m_width, m_height;
    double m_pixelsPerMmX = kPixelsPerInch / 25.4, m_pixelsPerMmY = kPixelsPerInch / 25.4;
    double m_frameLeft = 0, m_frameTop = 0, m_frameWidth = 0, m_frameHeight = 0;
    std::uint32_t m_mapMode = 1;
    double m_windowOrg[2] = { 0, 0 }, m_windowExt[2] = { 1, 1 }, m_viewportOrg[2] = { 0, 0 },
           m_viewportExt[2] = { 1, 1 };
    std::map<std::uint32_t, GdiObject> m_objects;
};

// Windows metafile records (MS-WMF, 2.3); the low byte is the function, the high byte its parameter count.
enum : std::uint16_t {
    META_EOF = 0x0000,
    META_SETPOLYFILLMODE = 0x0106,
    META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C,
    META_LINETO = 0x0213,
    META_MOVETO = 0x0214,
    META_SELECTOBJECT = 0x012D,
    META_DELETEOBJECT = 0x01F0,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325,
    META_ELLIPSE = 0x0418,
    META_RECTANGLE = 0x041B,
};

// Records that take a slot of the object table though nothing here draws with them.
bool createsOtherObject(std::uint16_t function)
{
    switch (function) {
    case 0x00F7: // META_CREATEPALETTE
    case 0x01F9: // META_CREATEPATTERNBRUSH
    case 0x02FB: // META_CREATEFONTINDIRECT
    case 0x06FF: // META_CREATEREGION
    case 0x0142: // META_DIBCREATEPATTERNBRUSH
        return true;
    default:
        return false;
    }
}

class WindowsPlayer {
public:
    WindowsPlayer(std::span<const std::uint8_t> data, Painter& painter, int width, int height, std::int32_t left,
        std::int32_t top, std::int32_t right, std::int32_t bottom)
        : m_data(data)
        , m_painter(painter)
        , m_width(width)
        , m_height(height)
        , m_windowOrg { double(left), double(top) }
        , m_windowExt { double(right) - left, double(bottom) - top }
    {
        UpdateMapping();
    }

    void Play()
    {
        if (m_data.size() < 18)
            return;
        std::size_t at = std::size_t(le16(m_data.data() + 2)) * 2; // the header's size in words
        if (at < 18)
            return;
        while (at <= m_data.size() && m_data.size() - at >= 6) {
            const std::uint8_t* record = m_data.data() + at;
            const std::uint64_t size = std::uint64_t(le32(record)) * 2;
            const std::uint16_t function = le16(record + 4);
            if (size < 6 || size > m_data.size() - at || function == META_EOF)
                return;
            if (!Record(function, std::span(record + 6, std::size_t(size - 6))))
                ++m_painter.skipped;
            at += std::size_t(size);
        }
    }

private:
    bool Record(std::uint16_t function, std::span<const std::uint8_t> r)
    {
        const auto need = [&](std::size_t bytes) { return r.size() >= bytes; };
        const std::uint8_t* p = r.data();
        switch (function) {
        case META_MOVETO:
        case META_LINETO: {
            if (!need(4))
                return false;
            const CanvasPoint to = m_painter.Map(les16(p + 2), les16(p));
            if (function == META_LINETO)
                m_painter.LineTo(to);
            else
                m_painter.position = to;
            return true;
        }
        case META_POLYGON:
        case META_POLYLINE: {
            if (!need(2))
                return false;
            const std::size_t count = le16(p);
            if (count > (r.size() - 2) / 4)
                return false;
            std::vector<CanvasPoint> points(count);
            for (std::size_t i = 0; i < count; ++i)
                points[i] = m_painter.Map(les16(p + 2 + 4 * i), les16(p + 4 + 4 * i));
            if (function == META_POLYGON)
                m_painter.Polygon(points);
            else
                m_painter.Polyline(points);
            return true;
        }
        case META_RECTANGLE:
        case META_ELLIPSE:
            if (!need(8))
                return false;
            // Parameters are stored last first: bottom, right, top, left.
            if (function == META_RECTANGLE)
                m_painter.Rectangle(les16(p + 6), les16(p + 4), les16(p + 2), les16(p));
            else
                m_painter.Ellipse(les16(p + 6), les16(p + 4), les16(p + 2), les16(p));
            return true;
        case META_CREATEPENINDIRECT:
            if (!need(10))
                return false;
            AddObject(makePen(le16(p), les16(p + 2), colorRef(p + 6)));
            return true;
        case META_CREATEBRUSHINDIRECT:
            if (!need(6))
                return false;
            AddObject(makeBrush(le16(p), colorRef(p + 2)));
            return true;
        case META_SELECTOBJECT: {
            if (!need(2))
                return false;
            const std::size_t index = le16(p);
            if (index >= m_objects.size() || !m_objects[index])
                return false;
            m_painter.Select(*m_objects[index]);
            return true;
        }
        case META_DELETEOBJECT:
            if (!need(2))
                return false;
            if (le16(p) < m_objects.size() && m_objects[le16(p)]) {
                m_objects[le16(p)].reset();
                m_freeSlots.insert(le16(p));
            }
            return true;
        case META_SETPOLYFILLMODE:
            if (!need(2))
                return false;
            m_painter.winding = le16(p) == 2;
            return true;
        case META_SETWINDOWORG:
        case META_SETWINDOWEXT: {
            if (!need(4))
                return false;
            double* target = function == META_SETWINDOWORG ? m_windowOrg : m_windowExt;
            target[0] = les16(p + 2);
            target[1] = les16(p);
            UpdateMapping();
            return true;
        }
        default:
            if (createsOtherObject(function))
                AddObject(GdiObject {});
            return false;
        }
    }

    // A new object takes the lowest free slot of the table.
    void AddObject(const GdiObject& object)
    {
        if (m_freeSlots.empty()) {
            m_objects.push_back(object);
            return;
        }
        m_objects[*m_freeSlots.begin()] = object;
        m_freeSlots.erase(m_freeSlots.begin());
    }

    void UpdateMapping()
    {
        m_painter.scaleX = m_windowExt[0] != 0 ? m_width / m_windowExt[0] : 1;
        m_painter.scaleY = m_windowExt[1] != 0 ? m_height / m_windowExt[1] : 1;
        m_painter.offsetX = -m_windowOrg[0] * m_painter.scaleX;
        m_painter.offsetY = -m_windowOrg[1] * m_painter.scaleY;
    }

    std::span<const std::uint8_t> m_data;
    Painter& m_painter;
    int m_width, m_height;
    double m_windowOrg[2];
    double m_windowExt[2];
    std::vector<std::optional<GdiObject>> m_objects;
    std::set<std::size_t> m_freeSlots;
};

} // namespace

int TMetafile::Width() const
{
    return pixelsFromHundredthsOfMm(m_mmWidth);
}

int TMetafile::Height() const
{
    return pixelsFromHundredthsOfMm(m_mmHeight);
}

void TMetafile::LoadFromStream(TStream& stream)
{
    const auto rest = stream.Rest();
    const std::uint8_t* p = rest.data();
    if (rest.size() > 100 && le32(p) == 1 && le32(p + 40) == kEnhancedSignature) {
        m_data.assign(rest.begin(), rest.end());
        m_enhanced = true;
        // rclFrame, in hundredths of a millimetre (MS-EMF, 2.3.4.2).
        m_left = les32(p + 24);
        m_top = les32(p + 28);
        m_right = les32(p + 32);
        m_bottom = les32(p + 36);
        m_mmWidth = int(std::clamp<std::int64_t>(std::int64_t(m_right) - m_left, 0, INT32_MAX));
        m_mmHeight = int(std::clamp<std::int64_t>(std::int64_t(m_bottom) - m_top, 0, INT32_MAX));
    } else {
        if (rest.size() < kPlaceableHeaderSize || le32(p) != kPlaceableKey)
            throw EInvalidGraphic(kInvalidMetafile);
        std::uint16_t checksum = 0;
        for (int i = 0; i < 10; ++i)
            checksum ^= le16(p + 2 * i);
        if (checksum != le16(p + 20))
            throw EInvalidGraphic(kInvalidMetafile);
        const std::int32_t left = les16(p + 6), top = les16(p + 8), right = les16(p + 10), bottom = les16(p + 12);
        const std::int64_t unitsPerInch = le16(p + 14) != 0 ? le16(p + 14) : kPixelsPerInch;
        m_data.assign(rest.begin() + kPlaceableHeaderSize, rest.end());
        m_enhanced = false;
        m_left = left;
        m_top = top;
        m_right = right;
        m_bottom = bottom;
        m_mmWidth = int(std::max<std::int64_t>(0, (std::int64_t(right) - left) * 2540 / unitsPerInch));
        m_mmHeight = int(std::max<std::int64_t>(0, (std::int64_t(bottom) - top) * 2540 / unitsPerInch));
    }
    stream.Seek(stream.Size());
}

TMetafile::Rendering TMetafile::Render() const
{
    Rendering rendering;
    if (Empty() || Width() == 0 || Height() == 0)
        return rendering;
    rendering.bitmap.SetSize(Width(), Height(), 24);
    std::fill(rendering.bitmap.Pixels().begin(), rendering.bitmap.Pixels().end(), std::uint8_t(255));
    Painter painter(rendering.bitmap);
    if (m_enhanced)
        EnhancedPlayer(m_data, painter, Width(), Height()).Play();
    else
        WindowsPlayer(m_data, painter, Width(), Height(), m_left, m_top, m_right, m_bottom).Play();
    rendering.skippedRecords = painter.skipped;
    return rendering;
}

} // namespace vantrelle::pictures
