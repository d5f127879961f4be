#pragma once

// Enhanced metafiles (EMF) and placeable Windows metafiles (WMF).
//
// Limitations: drawing a metafile into a bitmap covers the common records only: lines, polylines,
// polygons, rectangles and ellipses with solid pens and brushes (and the mapping and object records they
// rely on). Every other record is skipped and counted. Pictures over TBitmap::kMaxPixels pixels are not
// drawn.

#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/pictures/Graphic.h"

#include <cstdint>
#include <vector>

namespace vantrelle::pictures {

class TMetafile : public TGraphic {
public:
    // A drawn metafile and the number of records the drawing skipped.
    struct Rendering {
        TBitmap bitmap;
        int skippedRecords = 0;
    };

    const char* className() const override { return "TMetafile"; }
    bool empty() const override { return m_data.empty(); }
    // The size in pixels at 96 pixels per inch.
    int width() const override;
    int height() const override;
    std::unique_ptr<TGraphic> clone() const override { return std::make_unique<TMetafile>(*this); }

    // Reads an enhanced metafile, or a placeable Windows metafile (22-byte header with key and checksum);
    // "Metafile is not valid" for anything else.
    void loadFromStream(Stream& stream) override;

    // The size in hundredths of a millimetre.
    int mmWidth() const { return m_mmWidth; }
    int mmHeight() const { return m_mmHeight; }
    // True for an enhanced metafile, false for a Windows metafile.
    bool enhanced() const { return m_enhanced; }
    const std::vector<std::uint8_t>& data() const { return m_data; }

    // Draws the records onto a white 24-bit bitmap of width() x height() pixels.
    Rendering render() const;

private:
    std::vector<std::uint8_t> m_data; // the records, without the placeable header for a Windows metafile
    bool m_enhanced = false;
    int m_mmWidth = 0;
    int m_mmHeight = 0;
    // The picture's frame in the records' logical units (Windows metafiles: the placeable header's box).
    std::int32_t m_left = 0, m_top = 0, m_right = 0, m_bottom = 0;
};

} // namespace vantrelle::pictures
