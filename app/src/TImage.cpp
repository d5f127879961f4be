#include "vantrelle/app/TImage.h"

namespace vantrelle::app {

TImage::TImage(QWidget* parent)
    : QWidget(parent)
{
    hide();
}

} // namespace vantrelle::app
