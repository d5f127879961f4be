#include "vantrelle/app/Image.h"

namespace vantrelle::app {

Image::Image(QWidget* parent)
    : QWidget(parent)
{
    hide();
}

} // namespace vantrelle::app
