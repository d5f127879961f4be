#pragma once

#include "vantrelle/pictures/Graphic.h"

#include <functional>
#include <memory>
#include <string>

namespace vantrelle::pictures {

// Holds at most one graphic, owns it, and tells its owner whenever the graphic changes.
class TPicture {
public:
    using ChangeHandler = std::function<void(TPicture&)>;

    explicit TPicture(ChangeHandler onChange = {})
        : m_onChange(std::move(onChange))
    {
    }
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    // Null when the picture is empty.
    TGraphic* graphic() const { return m_graphic.get(); }
    // Frees the previous graphic, takes this one (null empties the picture) and notifies the owner.
    void setGraphic(std::unique_ptr<TGraphic> graphic);
    // Takes a copy of the other picture's graphic.
    void Assign(const TPicture& other);

    int width() const { return m_graphic ? m_graphic->width() : 0; }
    int height() const { return m_graphic ? m_graphic->height() : 0; }

    void setOnChange(ChangeHandler onChange) { m_onChange = std::move(onChange); }

    // LoadPictureFile(*this, fileName).
    void loadFromFile(const std::string& fileName);

private:
    std::unique_ptr<TGraphic> m_graphic;
    ChangeHandler m_onChange;
};

} // namespace vantrelle::pictures
