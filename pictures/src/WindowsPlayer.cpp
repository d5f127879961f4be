#include "WindowsPlayer.h"

#include "LittleEndian.h"

#include <algorithm>
#include <optional>
#include <set>
#include <vector>

namespace vantrelle::pictures {

namespace {

// Record functions (MS-WMF 2.1.1.1, RecordType); the low byte is the function, the high byte its
// parameter count.
constexpr std::uint16_t kMetaEof = 0x0000;
constexpr std::uint16_t kMetaSetPolyFillMode = 0x0106;
constexpr std::uint16_t kMetaSetWindowOrg = 0x020B;
constexpr std::uint16_t kMetaSetWindowExt = 0x020C;
constexpr std::uint16_t kMetaLineTo = 0x0213;
constexpr std::uint16_t kMetaMoveTo = 0x0214;
constexpr std::uint16_t kMetaSelectObject = 0x012D;
constexpr std::uint16_t kMetaDeleteObject = 0x01F0;
constexpr std::uint16_t kMetaCreatePenIndirect = 0x02FA;
constexpr std::uint16_t kMetaCreateBrushIndirect = 0x02FC;
constexpr std::uint16_t kMetaPolygon = 0x0324;
constexpr std::uint16_t kMetaPolyline = 0x0325;
constexpr std::uint16_t kMetaEllipse = 0x0418;
constexpr std::uint16_t kMetaRectangle = 0x041B;
// Records that make objects nothing here draws with.
constexpr std::uint16_t kMetaCreatePalette = 0x00F7;
constexpr std::uint16_t kMetaCreatePatternBrush = 0x01F9;
constexpr std::uint16_t kMetaCreateFontIndirect = 0x02FB;
constexpr std::uint16_t kMetaCreateRegion = 0x06FF;
constexpr std::uint16_t kMetaDibCreatePatternBrush = 0x0142;

constexpr std::size_t kHeaderSize = 18; // META_HEADER (MS-WMF 2.3.2.2)
constexpr std::size_t kHeaderSizeField = 2; // where the header gives its own size, in 16-bit words
constexpr std::size_t kRecordHeaderSize = 6; // size in words, function
constexpr std::uint16_t kWindingFill = 2; // PolygonFillMode WINDING

class WindowsPlayer {
public:
    WindowsPlayer(MetafilePainter& painter, int width, int height, const MetafileBox& box);

    void play(std::span<const std::uint8_t> records);

    // Each handler gets the parameters of a record, at least the minimum size of its table entry, and
    // answers false when it cannot draw them.
    bool moveTo(std::span<const std::uint8_t> p);
    bool lineTo(std::span<const std::uint8_t> p);
    bool polygon(std::span<const std::uint8_t> p);
    bool polyline(std::span<const std::uint8_t> p);
    bool rectangle(std::span<const std::uint8_t> p);
    bool ellipse(std::span<const std::uint8_t> p);
    bool createPenIndirect(std::span<const std::uint8_t> p);
    bool createBrushIndirect(std::span<const std::uint8_t> p);
    bool createOtherObject(std::span<const std::uint8_t> p);
    bool selectObject(std::span<const std::uint8_t> p);
    bool deleteObject(std::span<const std::uint8_t> p);
    bool setPolyFillMode(std::span<const std::uint8_t> p);
    bool setWindowOrg(std::span<const std::uint8_t> p) { return setPair(m_windowOrg, p); }
    bool setWindowExt(std::span<const std::uint8_t> p) { return setPair(m_windowExt, p); }

private:
    std::optional<std::vector<CanvasPoint>> points(std::span<const std::uint8_t> p) const;
    bool setPair(double (&target)[2], std::span<const std::uint8_t> p);
    void addObject(const GdiObject& object);
    void updateMapping();

    MetafilePainter& m_painter;
    int m_width, m_height;
    double m_windowOrg[2];
    double m_windowExt[2];
    std::vector<std::optional<GdiObject>> m_objects;
    std::set<std::size_t> m_freeSlots;
};

struct RecordHandler {
    std::uint16_t function;
    std::size_t minimumSize; // of the parameters, after the record's size and function
    bool (WindowsPlayer::*play)(std::span<const std::uint8_t> parameters);
};

constexpr RecordHandler kRecordHandlers[] = {
    { kMetaSetPolyFillMode, 2, &WindowsPlayer::setPolyFillMode },
    { kMetaSetWindowOrg, 4, &WindowsPlayer::setWindowOrg },
    { kMetaSetWindowExt, 4, &WindowsPlayer::setWindowExt },
    { kMetaLineTo, 4, &WindowsPlayer::lineTo },
    { kMetaMoveTo, 4, &WindowsPlayer::moveTo },
    { kMetaSelectObject, 2, &WindowsPlayer::selectObject },
    { kMetaDeleteObject, 2, &WindowsPlayer::deleteObject },
    { kMetaCreatePenIndirect, 10, &WindowsPlayer::createPenIndirect },
    { kMetaCreateBrushIndirect, 6, &WindowsPlayer::createBrushIndirect },
    { kMetaPolygon, 2, &WindowsPlayer::polygon },
    { kMetaPolyline, 2, &WindowsPlayer::polyline },
    { kMetaEllipse, 8, &WindowsPlayer::ellipse },
    { kMetaRectangle, 8, &WindowsPlayer::rectangle },
    { kMetaCreatePalette, 0, &WindowsPlayer::createOtherObject },
    { kMetaCreatePatternBrush, 0, &WindowsPlayer::createOtherObject },
    { kMetaCreateFontIndirect, 0, &WindowsPlayer::createOtherObject },
    { kMetaCreateRegion, 0, &WindowsPlayer::createOtherObject },
    { kMetaDibCreatePatternBrush, 0, &WindowsPlayer::createOtherObject },
};

WindowsPlayer::WindowsPlayer(MetafilePainter& painter, int width, int height, const MetafileBox& box)
    : m_painter(painter)
    , m_width(width)
    , m_height(height)
    , m_windowOrg { double(box.left), double(box.top) }
    , m_windowExt { double(box.right) - box.left, double(box.bottom) - box.top }
{
    updateMapping();
}

void WindowsPlayer::play(std::span<const std::uint8_t> records)
{
    if (records.size() < kHeaderSize)
        return;
    std::size_t at = std::size_t(le16(records.data() + kHeaderSizeField)) * 2;
    if (at < kHeaderSize)
        return;
    while (at <= records.size() && records.size() - at >= kRecordHeaderSize) {
        const std::uint8_t* record = records.data() + at;
        const std::uint64_t size = std::uint64_t(le32(record)) * 2;
        const std::uint16_t function = le16(record + 4);
        if (size < kRecordHeaderSize || size > records.size() - at || function == kMetaEof)
            return;
        const auto parameters = std::span(record + kRecordHeaderSize, std::size_t(size - kRecordHeaderSize));
        const auto handler = std::find_if(std::begin(kRecordHandlers), std::end(kRecordHandlers),
            [function](const RecordHandler& h) { return h.function == function; });
        const bool played = handler != std::end(kRecordHandlers) && parameters.size() >= handler->minimumSize
            && (this->*handler->play)(parameters);
        if (!played)
            ++m_painter.skipped;
        at += std::size_t(size);
    }
}

// Points and rectangles are stored y first, x second; rectangles bottom, right, top, left.
bool WindowsPlayer::moveTo(std::span<const std::uint8_t> p)
{
    m_painter.position = m_painter.map(les16(&p[2]), les16(&p[0]));
    return true;
}

bool WindowsPlayer::lineTo(std::span<const std::uint8_t> p)
{
    m_painter.lineTo(m_painter.map(les16(&p[2]), les16(&p[0])));
    return true;
}

// A point count, then the points, x first.
std::optional<std::vector<CanvasPoint>> WindowsPlayer::points(std::span<const std::uint8_t> p) const
{
    const std::size_t count = le16(&p[0]);
    if (count > (p.size() - 2) / 4)
        return std::nullopt;
    std::vector<CanvasPoint> points(count);
    for (std::size_t i = 0; i < count; ++i)
        points[i] = m_painter.map(les16(&p[2 + 4 * i]), les16(&p[4 + 4 * i]));
    return points;
}

bool WindowsPlayer::polygon(std::span<const std::uint8_t> p)
{
    const auto found = points(p);
    if (found)
        m_painter.polygon(*found);
    return found.has_value();
}

bool WindowsPlayer::polyline(std::span<const std::uint8_t> p)
{
    const auto found = points(p);
    if (found)
        m_painter.polyline(*found);
    return found.has_value();
}

bool WindowsPlayer::rectangle(std::span<const std::uint8_t> p)
{
    m_painter.rectangle(les16(&p[6]), les16(&p[4]), les16(&p[2]), les16(&p[0]));
    return true;
}

bool WindowsPlayer::ellipse(std::span<const std::uint8_t> p)
{
    m_painter.ellipse(les16(&p[6]), les16(&p[4]), les16(&p[2]), les16(&p[0]));
    return true;
}

bool WindowsPlayer::createPenIndirect(std::span<const std::uint8_t> p)
{
    addObject(makePen(le16(&p[0]), les16(&p[2]), colorRef(&p[6])));
    return true;
}

bool WindowsPlayer::createBrushIndirect(std::span<const std::uint8_t> p)
{
    addObject(makeBrush(le16(&p[0]), colorRef(&p[2])));
    return true;
}

// The object takes its slot of the table, but the record counts as skipped: nothing draws with it.
bool WindowsPlayer::createOtherObject(std::span<const std::uint8_t>)
{
    addObject(GdiObject {});
    return false;
}

bool WindowsPlayer::selectObject(std::span<const std::uint8_t> p)
{
    const std::size_t index = le16(&p[0]);
    if (index >= m_objects.size() || !m_objects[index])
        return false;
    m_painter.select(*m_objects[index]);
    return true;
}

bool WindowsPlayer::deleteObject(std::span<const std::uint8_t> p)
{
    const std::size_t index = le16(&p[0]);
    if (index < m_objects.size() && m_objects[index]) {
        m_objects[index].reset();
        m_freeSlots.insert(index);
    }
    return true;
}

bool WindowsPlayer::setPolyFillMode(std::span<const std::uint8_t> p)
{
    m_painter.winding = le16(&p[0]) == kWindingFill;
    return true;
}

bool WindowsPlayer::setPair(double (&target)[2], std::span<const std::uint8_t> p)
{
    target[0] = les16(&p[2]);
    target[1] = les16(&p[0]);
    updateMapping();
    return true;
}

// A new object takes the lowest free slot of the table.
void WindowsPlayer::addObject(const GdiObject& object)
{
    if (m_freeSlots.empty()) {
        m_objects.push_back(object);
        return;
    }
    m_objects[*m_freeSlots.begin()] = object;
    m_freeSlots.erase(m_freeSlots.begin());
}

void WindowsPlayer::updateMapping()
{
    LogicalMapping& mapping = m_painter.mapping;
    mapping.scaleX = m_windowExt[0] != 0 ? m_width / m_windowExt[0] : 1;
    mapping.scaleY = m_windowExt[1] != 0 ? m_height / m_windowExt[1] : 1;
    mapping.offsetX = -m_windowOrg[0] * mapping.scaleX;
    mapping.offsetY = -m_windowOrg[1] * mapping.scaleY;
}

} // namespace

void playWindowsMetafile(
    std::span<const std::uint8_t> records, MetafilePainter& painter, int width, int height, const MetafileBox& box)
{
    WindowsPlayer(painter, width, height, box).play(records);
}

} // namespace vantrelle::pictures
