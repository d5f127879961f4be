#include "vantrelle/pictures/Metafile.h"

#include "EnhancedPlayer.h"
#include "MetafileHeaders.h"
#include "MetafilePainter.h"
#include "WindowsPlayer.h"
#include "vantrelle/pictures/Errors.h"

#include <algorithm>

namespace vantrelle::pictures {

namespace {

constexpr const char* kInvalidMetafile = "Metafile is not valid";
constexpr int kPixelsPerInch = 96;

int pixelsFromHundredthsOfMm(std::int64_t size)
{
    return int(std::clamp<std::int64_t>((size * kPixelsPerInch + 1270) / 2540, 0, 1 << 30));
}

} // namespace

int TMetafile::width() const
{
    return pixelsFromHundredthsOfMm(m_mmWidth);
}

int TMetafile::height() const
{
    return pixelsFromHundredthsOfMm(m_mmHeight);
}

void TMetafile::loadFromStream(Stream& stream)
{
    const auto rest = stream.rest();
    if (const std::optional<EnhancedHeader> enhanced = readEnhancedHeader(rest)) {
        const MetafileBox& frame = enhanced->frame; // hundredths of a millimetre
        m_data.assign(rest.begin(), rest.end());
        m_enhanced = true;
        m_left = frame.left;
        m_top = frame.top;
        m_right = frame.right;
        m_bottom = frame.bottom;
        m_mmWidth = int(std::clamp<std::int64_t>(std::int64_t(m_right) - m_left, 0, INT32_MAX));
        m_mmHeight = int(std::clamp<std::int64_t>(std::int64_t(m_bottom) - m_top, 0, INT32_MAX));
    } else if (const std::optional<PlaceableHeader> placeable = readPlaceableHeader(rest)) {
        const MetafileBox& box = placeable->box; // logical units
        const std::int64_t unitsPerInch = placeable->unitsPerInch != 0 ? placeable->unitsPerInch : kPixelsPerInch;
        m_data.assign(rest.begin() + PlaceableHeader::kSize, rest.end());
        m_enhanced = false;
        m_left = box.left;
        m_top = box.top;
        m_right = box.right;
        m_bottom = box.bottom;
        m_mmWidth = int(std::max<std::int64_t>(0, (std::int64_t(m_right) - m_left) * 2540 / unitsPerInch));
        m_mmHeight = int(std::max<std::int64_t>(0, (std::int64_t(m_bottom) - m_top) * 2540 / unitsPerInch));
    } else {
        throw EInvalidGraphic(kInvalidMetafile);
    }
    stream.seek(stream.size());
}

TMetafile::Rendering TMetafile::render() const
{
    Rendering rendering;
    if (empty() || width() == 0 || height() == 0)
        return rendering;
    rendering.bitmap.setSize(width(), height(), 24);
    std::fill(rendering.bitmap.pixels().begin(), rendering.bitmap.pixels().end(), std::uint8_t(255));
    MetafilePainter painter(rendering.bitmap);
    if (m_enhanced)
        playEnhancedMetafile(m_data, painter, width(), height());
    else
        playWindowsMetafile(m_data, painter, width(), height(), { m_left, m_top, m_right, m_bottom });
    rendering.skippedRecords = painter.skipped;
    return rendering;
}

} // namespace vantrelle::pictures
