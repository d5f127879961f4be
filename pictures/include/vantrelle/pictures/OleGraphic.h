#pragma once

#include "vantrelle/pictures/Graphic.h"

namespace vantrelle::pictures {

// The class the registry gives file names without an extension. It reads nothing and stays empty.
class TOleGraphic : public TGraphic {
public:
    const char* className() const override { return "TOleGraphic"; }
    bool empty() const override { return true; }
    int width() const override { return 0; }
    int height() const override { return 0; }
    std::unique_ptr<TGraphic> clone() const override { return std::make_unique<TOleGraphic>(); }

    void loadFromStream(Stream&) override { }
    // Does not even open the file: the cover import's "Tmp" without extension gives an empty picture.
    void loadFromFile(const std::string&) override { }
};

} // namespace vantrelle::pictures
