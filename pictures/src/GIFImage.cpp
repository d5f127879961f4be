#include "vantrelle/pictures/GIFImage.h"

namespace vantrelle::pictures {

const GIFGraphicControlExtension* TGIFFrame::graphicControlExtension() const
{
    for (const auto& extension : extensions)
        if (const auto* control = std::get_if<GIFGraphicControlExtension>(&extension))
            return control;
    return nullptr;
}

const GIFColorTable& TGIFFrame::activeColorTable() const
{
    if (colorTable.empty() && !m_image->header().globalColorTable.empty())
        return m_image->header().globalColorTable;
    return colorTable;
}

TGIFGraphic::TGIFGraphic(const TGIFGraphic& other)
    : TGraphic(other)
    , m_header(other.m_header)
    , m_onWarning(other.m_onWarning)
    , m_reductionMode(other.m_reductionMode)
    , m_ditherKind(other.m_ditherKind)
    , m_drawOptions(other.m_drawOptions)
{
    for (const auto& frame : other.m_frames) {
        auto copy = std::make_unique<TGIFFrame>(*frame);
        copy->m_image = this;
        m_frames.push_back(std::move(copy));
    }
}

TGIFGraphic& TGIFGraphic::operator=(const TGIFGraphic& other)
{
    if (this != &other) {
        takeFrom(other);
        m_onWarning = other.m_onWarning;
    }
    return *this;
}

void TGIFGraphic::takeFrom(const TGIFGraphic& source)
{
    TGIFGraphic copy(source);
    m_header = std::move(copy.m_header);
    m_frames = std::move(copy.m_frames);
    for (auto& frame : m_frames)
        frame->m_image = this;
    m_reductionMode = copy.m_reductionMode;
    m_ditherKind = copy.m_ditherKind;
    m_drawOptions = copy.m_drawOptions;
    m_bitmap.reset();
}

TGIFGraphic::~TGIFGraphic() = default;

void TGIFGraphic::clear()
{
    m_frames.clear();
    m_header = GIFHeader();
    m_bitmap.reset();
}

TGIFFrame& TGIFGraphic::addFrame(std::unique_ptr<TGIFFrame> frame)
{
    frame->m_image = this;
    m_frames.push_back(std::move(frame));
    m_bitmap.reset();
    return *m_frames.back();
}

void TGIFGraphic::warning(const std::string& message) const
{
    if (m_onWarning)
        m_onWarning(message);
}

} // namespace vantrelle::pictures
