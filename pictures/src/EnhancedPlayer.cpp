#include "EnhancedPlayer.h"

#include "LittleEndian.h"
#include "MetafileHeaders.h"

#include <algorithm>
#include <map>

namespace vantrelle::pictures {

namespace {

// Record types (MS-EMF 2.1.1, RecordType).
constexpr std::uint32_t kEmrHeader = 1;
constexpr std::uint32_t kEmrPolygon = 3;
constexpr std::uint32_t kEmrPolyline = 4;
constexpr std::uint32_t kEmrPolylineTo = 6;
constexpr std::uint32_t kEmrSetWindowExtEx = 9;
constexpr std::uint32_t kEmrSetWindowOrgEx = 10;
constexpr std::uint32_t kEmrSetViewportExtEx = 11;
constexpr std::uint32_t kEmrSetViewportOrgEx = 12;
constexpr std::uint32_t kEmrEof = 14;
constexpr std::uint32_t kEmrSetMapMode = 17;
constexpr std::uint32_t kEmrSetPolyFillMode = 19;
constexpr std::uint32_t kEmrMoveToEx = 27;
constexpr std::uint32_t kEmrSelectObject = 37;
constexpr std::uint32_t kEmrCreatePen = 38;
constexpr std::uint32_t kEmrCreateBrushIndirect = 39;
constexpr std::uint32_t kEmrDeleteObject = 40;
constexpr std::uint32_t kEmrEllipse = 42;
constexpr std::uint32_t kEmrRectangle = 43;
constexpr std::uint32_t kEmrLineTo = 54;
constexpr std::uint32_t kEmrPolygon16 = 86;
constexpr std::uint32_t kEmrPolyline16 = 87;
constexpr std::uint32_t kEmrPolylineTo16 = 89;
constexpr std::uint32_t kEmrExtCreatePen = 95;

// Map modes (MS-EMF 2.1.21, MapMode): how logical units become reference-device pixels.
constexpr std::uint32_t kMapModeText = 1;
constexpr std::uint32_t kMapModeLoMetric = 2;
constexpr std::uint32_t kMapModeHiMetric = 3;
constexpr std::uint32_t kMapModeLoEnglish = 4;
constexpr std::uint32_t kMapModeHiEnglish = 5;
constexpr std::uint32_t kMapModeTwips = 6;
constexpr std::uint32_t kMapModeIsotropic = 7;
constexpr std::uint32_t kMapModeAnisotropic = 8;

constexpr std::uint32_t kWindingFill = 2; // PolygonFillMode WINDING
constexpr std::uint32_t kStockObjectFlag = 0x80000000u; // a handle with this bit names a stock object
constexpr std::size_t kRecordHeaderSize = 8; // type and size
constexpr std::size_t kPolyPointsOffset = 28; // after the bounds and the point count
constexpr double kDefaultPixelsPerMm = 96 / 25.4;

enum class PointSize { Short = 4, Long = 8 };
enum class Shape { Polygon, Polyline, PolylineTo };

class EnhancedPlayer {
public:
    EnhancedPlayer(const EnhancedHeader& header, MetafilePainter& painter, int width, int height);

    void play(std::span<const std::uint8_t> records);

    // Each handler gets a whole record, of at least the minimum size of its table entry, and answers
    // false when it cannot draw it.
    bool header(std::span<const std::uint8_t>) { return true; }
    bool moveTo(std::span<const std::uint8_t> r);
    bool lineTo(std::span<const std::uint8_t> r);
    bool polygon(std::span<const std::uint8_t> r) { return points(r, PointSize::Long, Shape::Polygon); }
    bool polyline(std::span<const std::uint8_t> r) { return points(r, PointSize::Long, Shape::Polyline); }
    bool polylineTo(std::span<const std::uint8_t> r) { return points(r, PointSize::Long, Shape::PolylineTo); }
    bool polygon16(std::span<const std::uint8_t> r) { return points(r, PointSize::Short, Shape::Polygon); }
    bool polyline16(std::span<const std::uint8_t> r) { return points(r, PointSize::Short, Shape::Polyline); }
    bool polylineTo16(std::span<const std::uint8_t> r) { return points(r, PointSize::Short, Shape::PolylineTo); }
    bool rectangle(std::span<const std::uint8_t> r);
    bool ellipse(std::span<const std::uint8_t> r);
    bool createPen(std::span<const std::uint8_t> r);
    bool extCreatePen(std::span<const std::uint8_t> r);
    bool createBrushIndirect(std::span<const std::uint8_t> r);
    bool selectObject(std::span<const std::uint8_t> r);
    bool deleteObject(std::span<const std::uint8_t> r);
    bool setPolyFillMode(std::span<const std::uint8_t> r);
    bool setMapMode(std::span<const std::uint8_t> r);
    bool setWindowExt(std::span<const std::uint8_t> r) { return setPair(m_windowExt, r); }
    bool setWindowOrg(std::span<const std::uint8_t> r) { return setPair(m_windowOrg, r); }
    bool setViewportExt(std::span<const std::uint8_t> r) { return setPair(m_viewportExt, r); }
    bool setViewportOrg(std::span<const std::uint8_t> r) { return setPair(m_viewportOrg, r); }

private:
    bool points(std::span<const std::uint8_t> r, PointSize size, Shape shape);
    bool setPair(double (&target)[2], std::span<const std::uint8_t> r);
    void updateMapping();

    MetafilePainter& m_painter;
    int m_width, m_height;
    double m_pixelsPerMmX = kDefaultPixelsPerMm, m_pixelsPerMmY = kDefaultPixelsPerMm;
    double m_frameLeft = 0, m_frameTop = 0, m_frameWidth = 0, m_frameHeight = 0; // reference-device pixels
    std::uint32_t m_mapMode = kMapModeText;
    double m_windowOrg[2] = { 0, 0 }, m_windowExt[2] = { 1, 1 }, m_viewportOrg[2] = { 0, 0 },
           m_viewportExt[2] = { 1, 1 };
    std::map<std::uint32_t, GdiObject> m_objects;
};

struct RecordHandler {
    std::uint32_t type;
    std::size_t minimumSize; // of the whole record, its type and size included
    bool (EnhancedPlayer::*play)(std::span<const std::uint8_t> record);
};

constexpr RecordHandler kRecordHandlers[] = {
    { kEmrHeader, kRecordHeaderSize, &EnhancedPlayer::header },
    { kEmrPolygon, kPolyPointsOffset, &EnhancedPlayer::polygon },
    { kEmrPolyline, kPolyPointsOffset, &EnhancedPlayer::polyline },
    { kEmrPolylineTo, kPolyPointsOffset, &EnhancedPlayer::polylineTo },
    { kEmrSetWindowExtEx, 16, &EnhancedPlayer::setWindowExt },
    { kEmrSetWindowOrgEx, 16, &EnhancedPlayer::setWindowOrg },
    { kEmrSetViewportExtEx, 16, &EnhancedPlayer::setViewportExt },
    { kEmrSetViewportOrgEx, 16, &EnhancedPlayer::setViewportOrg },
    { kEmrSetMapMode, 12, &EnhancedPlayer::setMapMode },
    { kEmrSetPolyFillMode, 12, &EnhancedPlayer::setPolyFillMode },
    { kEmrMoveToEx, 16, &EnhancedPlayer::moveTo },
    { kEmrSelectObject, 12, &EnhancedPlayer::selectObject },
    { kEmrCreatePen, 28, &EnhancedPlayer::createPen },
    { kEmrCreateBrushIndirect, 24, &EnhancedPlayer::createBrushIndirect },
    { kEmrDeleteObject, 12, &EnhancedPlayer::deleteObject },
    { kEmrEllipse, 24, &EnhancedPlayer::ellipse },
    { kEmrRectangle, 24, &EnhancedPlayer::rectangle },
    { kEmrLineTo, 16, &EnhancedPlayer::lineTo },
    { kEmrPolygon16, kPolyPointsOffset, &EnhancedPlayer::polygon16 },
    { kEmrPolyline16, kPolyPointsOffset, &EnhancedPlayer::polyline16 },
    { kEmrPolylineTo16, kPolyPointsOffset, &EnhancedPlayer::polylineTo16 },
    { kEmrExtCreatePen, 44, &EnhancedPlayer::extCreatePen },
};

EnhancedPlayer::EnhancedPlayer(const EnhancedHeader& header, MetafilePainter& painter, int width, int height)
    : m_painter(painter)
    , m_width(width)
    , m_height(height)
{
    // The frame (hundredths of a millimetre) in reference-device pixels is what the bitmap shows.
    const double deviceX = header.devicePixelsX, deviceY = header.devicePixelsY;
    const double millimetresX = header.deviceMillimetresX, millimetresY = header.deviceMillimetresY;
    if (deviceX > 0 && deviceY > 0 && millimetresX > 0 && millimetresY > 0) {
        const MetafileBox& frame = header.frame;
        m_pixelsPerMmX = deviceX / millimetresX;
        m_pixelsPerMmY = deviceY / millimetresY;
        m_frameLeft = frame.left / 100.0 * m_pixelsPerMmX;
        m_frameTop = frame.top / 100.0 * m_pixelsPerMmY;
        m_frameWidth = (double(frame.right) - frame.left) / 100.0 * m_pixelsPerMmX;
        m_frameHeight = (double(frame.bottom) - frame.top) / 100.0 * m_pixelsPerMmY;
    } else {
        const MetafileBox& bounds = header.bounds;
        m_frameLeft = bounds.left;
        m_frameTop = bounds.top;
        m_frameWidth = double(bounds.right) - bounds.left;
        m_frameHeight = double(bounds.bottom) - bounds.top;
    }
    updateMapping();
}

void EnhancedPlayer::play(std::span<const std::uint8_t> records)
{
    std::size_t at = 0;
    while (records.size() - at >= kRecordHeaderSize) {
        const std::uint8_t* record = records.data() + at;
        const std::uint32_t type = le32(record);
        const std::uint32_t size = le32(record + 4);
        if (size < kRecordHeaderSize || size % 4 != 0 || size > records.size() - at || type == kEmrEof)
            return;
        const auto handler = std::find_if(std::begin(kRecordHandlers), std::end(kRecordHandlers),
            [type](const RecordHandler& h) { return h.type == type; });
        const bool played = handler != std::end(kRecordHandlers) && size >= handler->minimumSize
            && (this->*handler->play)(std::span(record, size));
        if (!played)
            ++m_painter.skipped;
        at += size;
    }
}

bool EnhancedPlayer::moveTo(std::span<const std::uint8_t> r)
{
    m_painter.position = m_painter.map(les32(&r[8]), les32(&r[12]));
    return true;
}

bool EnhancedPlayer::lineTo(std::span<const std::uint8_t> r)
{
    m_painter.lineTo(m_painter.map(les32(&r[8]), les32(&r[12])));
    return true;
}

bool EnhancedPlayer::points(std::span<const std::uint8_t> r, PointSize size, Shape shape)
{
    const std::size_t pointSize = std::size_t(size);
    const std::uint64_t count = le32(&r[24]);
    if (count > (r.size() - kPolyPointsOffset) / pointSize)
        return false;
    std::vector<CanvasPoint> points;
    points.reserve(std::size_t(count) + 1);
    if (shape == Shape::PolylineTo)
        points.push_back(m_painter.position);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* point = &r[kPolyPointsOffset + i * pointSize];
        points.push_back(size == PointSize::Short ? m_painter.map(les16(point), les16(point + 2))
                                                  : m_painter.map(les32(point), les32(point + 4)));
    }
    if (shape == Shape::Polygon) {
        m_painter.polygon(points);
        return true;
    }
    m_painter.polyline(points);
    if (shape == Shape::PolylineTo)
        m_painter.position = points.back();
    return true;
}

bool EnhancedPlayer::rectangle(std::span<const std::uint8_t> r)
{
    m_painter.rectangle(les32(&r[8]), les32(&r[12]), les32(&r[16]), les32(&r[20]));
    return true;
}

bool EnhancedPlayer::ellipse(std::span<const std::uint8_t> r)
{
    m_painter.ellipse(les32(&r[8]), les32(&r[12]), les32(&r[16]), les32(&r[20]));
    return true;
}

bool EnhancedPlayer::createPen(std::span<const std::uint8_t> r)
{
    m_objects[le32(&r[8])] = makePen(le32(&r[12]), les32(&r[16]), colorRef(&r[24]));
    return true;
}

bool EnhancedPlayer::extCreatePen(std::span<const std::uint8_t> r)
{
    m_objects[le32(&r[8])] = makePen(le32(&r[28]), le32(&r[32]), colorRef(&r[40]));
    return true;
}

bool EnhancedPlayer::createBrushIndirect(std::span<const std::uint8_t> r)
{
    m_objects[le32(&r[8])] = makeBrush(le32(&r[12]), colorRef(&r[16]));
    return true;
}

bool EnhancedPlayer::selectObject(std::span<const std::uint8_t> r)
{
    const std::uint32_t handle = le32(&r[8]);
    GdiObject object;
    if (handle & kStockObjectFlag) {
        if (!stockObject(handle & ~kStockObjectFlag, object))
            return false;
    } else {
        const auto found = m_objects.find(handle);
        if (found == m_objects.end())
            return false;
        object = found->second;
    }
    m_painter.select(object);
    return true;
}

bool EnhancedPlayer::deleteObject(std::span<const std::uint8_t> r)
{
    m_objects.erase(le32(&r[8]));
    return true;
}

bool EnhancedPlayer::setPolyFillMode(std::span<const std::uint8_t> r)
{
    m_painter.winding = le32(&r[8]) == kWindingFill;
    return true;
}

bool EnhancedPlayer::setMapMode(std::span<const std::uint8_t> r)
{
    m_mapMode = le32(&r[8]);
    updateMapping();
    return true;
}

bool EnhancedPlayer::setPair(double (&target)[2], std::span<const std::uint8_t> r)
{
    target[0] = les32(&r[8]);
    target[1] = les32(&r[12]);
    updateMapping();
    return true;
}

// Logical units to reference-device pixels (the map mode), then the frame onto the bitmap.
void EnhancedPlayer::updateMapping()
{
    double unitsX = 1, unitsY = 1; // device pixels per logical unit
    const auto metric = [&](double millimetres) {
        unitsX = millimetres * m_pixelsPerMmX;
        unitsY = -millimetres * m_pixelsPerMmY; // these modes count y upwards
    };
    switch (m_mapMode) {
    case kMapModeLoMetric:
        metric(0.1);
        break;
    case kMapModeHiMetric:
        metric(0.01);
        break;
    case kMapModeLoEnglish:
        metric(0.254);
        break;
    case kMapModeHiEnglish:
        metric(0.0254);
        break;
    case kMapModeTwips:
        metric(25.4 / 1440);
        break;
    case kMapModeIsotropic:
    case kMapModeAnisotropic:
        unitsX = m_windowExt[0] != 0 ? m_viewportExt[0] / m_windowExt[0] : 1;
        unitsY = m_windowExt[1] != 0 ? m_viewportExt[1] / m_windowExt[1] : 1;
        break;
    default: // kMapModeText, and modes that do not exist
        break;
    }
    const double toBitmapX = m_frameWidth != 0 ? m_width / m_frameWidth : 1;
    const double toBitmapY = m_frameHeight != 0 ? m_height / m_frameHeight : 1;
    m_painter.mapping = { unitsX * toBitmapX, unitsY * toBitmapY,
        (m_viewportOrg[0] - m_windowOrg[0] * unitsX - m_frameLeft) * toBitmapX,
        (m_viewportOrg[1] - m_windowOrg[1] * unitsY - m_frameTop) * toBitmapY };
}

} // namespace

void playEnhancedMetafile(std::span<const std::uint8_t> records, MetafilePainter& painter, int width, int height)
{
    const std::optional<EnhancedHeader> header = readEnhancedHeader(records);
    if (!header)
        return;
    EnhancedPlayer(*header, painter, width, height).play(records);
}

} // namespace vantrelle::pictures
