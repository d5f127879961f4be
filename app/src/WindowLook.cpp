#include "vantrelle/app/WindowLook.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QWidget>

namespace vantrelle::app {

QFont windowFont()
{
    QFont font(QStringLiteral("MS Sans Serif"), 8);
    if (QFontInfo(font).family() == font.family())
        return font;
    QFont fallback = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    fallback.setStyleHint(QFont::SansSerif);
    fallback.setPointSize(8);
    return fallback;
}

void applyWindowLook(QWidget* window)
{
    window->setFont(windowFont());
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    window->setPalette(palette);
}

QColor browsingColour(const QPalette& palette)
{
    // Plainly darker than the window so a read-only box never looks editable.
    return palette.color(QPalette::Button).darker(112);
}

QColor editingColour(const QPalette& palette) { return palette.color(QPalette::Base); }

} // namespace vantrelle::app
