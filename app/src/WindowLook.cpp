#include "vantrelle/app/WindowLook.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace vantrelle::app {

QFont windowFont()
{
    // The layout was drawn for "MS Sans Serif"; fonts of Arial's metrics fit its
    // labels best, DejaVu Sans Condensed still does.
    static const char* const preferred[]
        = { "MS Sans Serif", "Microsoft Sans Serif", "Arial", "Liberation Sans", "DejaVu Sans Condensed" };
    for (const char* family : preferred) {
        if (QFontDatabase::hasFamily(QLatin1String(family)))
            return QFont(QLatin1String(family), 8);
    }
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

void centreOnScreen(QWidget* window)
{
    const QScreen* display = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (display)
        window->move(display->availableGeometry().center() - window->rect().center());
}

void centreOnOwner(QWidget* dialog)
{
    const QWidget* owner = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
    if (!owner || !owner->isVisible()) {
        centreOnScreen(dialog);
        return;
    }
    dialog->move(owner->geometry().center() - dialog->rect().center());
}

QColor browsingColour(const QPalette& palette)
{
    // Plainly darker than the window so a read-only box never looks editable.
    return palette.color(QPalette::Button).darker(112);
}

QColor editingColour(const QPalette& palette)
{
    return palette.color(QPalette::Base);
}

} // namespace vantrelle::app
