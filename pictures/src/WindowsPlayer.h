#pragma once

#include "MetafileHeaders.h"
#include "MetafilePainter.h"

#include <cstdint>
#include <span>

namespace vantrelle::pictures {

// Draws the records of a Windows metafile (its own header first, without the placeable header) so that
// `box`, in the records' logical units, fills a picture of width x height pixels. Records this player
// does not know, or that are too short for what they say, are skipped and counted in the painter.
void playWindowsMetafile(
    std::span<const std::uint8_t> records, MetafilePainter& painter, int width, int height, const MetafileBox& box);

} // namespace vantrelle::pictures
