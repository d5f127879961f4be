#include "vantrelle/app/DropDownButton.h"

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

void DropDownButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        QPushButton::mousePressEvent(event);
        return;
    }
    event->accept();
    setDown(true);
    m_menu->exec(menuPosition());
    setDown(false);
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
