#pragma once

#include "MetafilePainter.h"

#include <cstdint>
#include <span>

namespace vantrelle::pictures {

// Draws the records of an enhanced metafile (its header record first) so that its frame fills a
// picture of width x height pixels. Records this player does not know, or that are too short for
// what they say, are skipped and counted in the painter.
void playEnhancedMetafile(std::span<const std::uint8_t> records, MetafilePainter& painter, int width, int height);

} // namespace vantrelle::pictures
