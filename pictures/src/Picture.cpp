#include "vantrelle/pictures/Picture.h"

#include "vantrelle/pictures/PictureFormats.h"

namespace vantrelle::pictures {

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic)
{
    m_graphic = std::move(graphic);
    if (m_onChange)
        m_onChange(*this);
}

void TPicture::Assign(const TPicture& other)
{
    if (&other != this)
        SetGraphic(other.m_graphic ? other.m_graphic->clone() : nullptr);
}

void TPicture::loadFromFile(const std::string& fileName)
{
    LoadPictureFile(*this, fileName);
}

} // namespace vantrelle::pictures
