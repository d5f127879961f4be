#include "vantrelle/pictures/GIFImage.h"

namespace vantrelle::pictures {

const TGIFGraphicControlExtension* TGIFFrame::GraphicControlExtension() const
{
    for (const auto& extension : extensions)
        if (const auto* control = std::get_if<TGIFGraphicControlExtension>(&extension))
            return control;
    return nullptr;
}

const TGIFColorTable& TGIFFrame::ActiveColorTable() const
{
    if (colorTable.empty() && !m_image->Header().globalColorTable.empty())
        return m_image->Header().globalColorTable;
    return colorTable;
}

TGIFGraphic::TGIFGraphic(const TGIFGraphic& other)
    : TGraphic(other)
    , m_header(other.m_header)
    , m_onWarning(other.m_onWarning)
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
        TGIFGraphic copy(other);
        m_header = std::move(copy.m_header);
        m_frames = std::move(copy.m_frames);
        for (auto& frame : m_frames)
            frame->m_image = this;
        m_onWarning = std::move(copy.m_onWarning);
    }
    return *this;
}

TGIFGraphic::~TGIFGraphic() = default;

void TGIFGraphic::Clear()
{
    m_frames.clear();
    m_header = TGIFHeader();
}

TGIFFrame& TGIFGraphic::AddFrame(std::unique_ptr<TGIFFrame> frame)
{
    frame->m_image = this;
    m_frames.push_back(std::move(frame));
    return *m_frames.back();
}

void TGIFGraphic::Warning(const std::string& message) const
{
    if (m_onWarning)
        m_onWarning(message);
}

} // namespace vantrelle::pictures
