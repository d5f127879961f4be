#pragma once

// Windows icon files (ICO).
//
// Limitations: only the 6-byte directory header is checked on reading; the images are decoded when a
// bitmap is asked for. Images stored as PNG inside the icon are not decoded (the largest other image is
// used), and images over 1024 pixels a side are refused as damaged (the directory itself cannot describe
// more than 256).

#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/pictures/Graphic.h"

#include <cstdint>
#include <vector>

namespace vantrelle::pictures {

class TIcon : public TGraphic {
public:
    const char* className() const override { return "TIcon"; }
    bool empty() const override { return m_data.empty(); }
    // The size of the largest image the directory lists (0 x 0 when it lists none).
    int width() const override { return m_width; }
    int height() const override { return m_height; }
    std::unique_ptr<TGraphic> clone() const override { return std::make_unique<TIcon>(*this); }

    // Keeps the rest of the stream as the icon's data; "Icon image is not valid" unless the directory
    // header's type is 0 or 1.
    void loadFromStream(Stream& stream) override;

    // The largest image as a bitmap: its own depth and palette when it has no transparent pixel, else 24
    // bits per pixel with the transparent pixels white. "Icon image is not valid" when it cannot be decoded.
    TBitmap largestImage() const;

    const std::vector<std::uint8_t>& data() const { return m_data; }

private:
    std::vector<std::uint8_t> m_data;
    int m_width = 0;
    int m_height = 0;
};

} // namespace vantrelle::pictures
