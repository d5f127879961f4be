#pragma once

#include "vantrelle/pictures/Picture.h"

#include <QWidget>

namespace vantrelle::app {

// A picture holder that is never shown: it keeps a picture for the application to copy elsewhere
// (Image1 holds the placeholder cover).
class Image : public QWidget {
    Q_OBJECT

public:
    explicit Image(QWidget* parent);

    pictures::TPicture& Picture() { return m_picture; }
    const pictures::TPicture& Picture() const { return m_picture; }

private:
    pictures::TPicture m_picture;
};

} // namespace vantrelle::app
