#include "vantrelle/pictures/Picture.h"

#include "vantrelle/pictures/PictureFormats.h"

namespace vantrelle::pictures {

void TPicture::setGraphic(std::unique_ptr<TGraphic> graphic)
{
    m_graphic = std::move(graphic);
    if (m_onChange)
        m_onChange(*this);
}

void TPicture::Assign(const TPicture& other)
{
    if (&other != this)
        setGraphic(other.m_graphic ? other.m_graphic->clone() : nullptr);
}

void TPicture::loadFromFile(const std::string& fileName)
{
    LoadPictureFile(*this, fileName);
}

} // namespace vantrelle::pictures
