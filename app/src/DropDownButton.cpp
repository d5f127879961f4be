#include "vantrelle/app/DropDownButton.h"

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace vantrelle::app {

DropDownButton::DropDownButton(const QString& caption, QMenu* menu, QWidget* parent)
    : QPushButton(caption, parent)
    , m_menu(menu)
{
    setFocusPolicy(Qt::NoFocus);
    setAutoDefault(false);
}

QPoint DropDownButton::menuPosition() const
{
    return mapToGlobal(QPoint(-1, height()));
}

void DropDownButton::openMenu()
{
    setDown(true);
    m_menu->exec(menuPosition());
    setDown(false);
}

void DropDownButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        QPushButton::mousePressEvent(event);
        return;
    }
    event->accept();
    openMenu();
}

// The caption's mnemonic (Alt and the underlined letter) opens the menu with its first item active, as a click
// opens it for the mouse.
bool DropDownButton::event(QEvent* event)
{
    if (event->type() != QEvent::Shortcut)
        return QPushButton::event(event);
    if (isEnabled()) {
        for (QAction* item : m_menu->actions()) {
            if (item->isEnabled() && item->isVisible() && !item->isSeparator()) {
                m_menu->setActiveAction(item);
                break;
            }
        }
        openMenu();
    }
    return true;
}

void DropDownButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.features |= QStyleOptionButton::HasMenu;
    painter.drawControl(QStyle::CE_PushButton, option);
}

} // namespace vantrelle::app
