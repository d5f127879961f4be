#include "ClickSwallower.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

namespace vantrelle::app {

namespace {

class ClickSwallower : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)
            return false;
        QCoreApplication::instance()->removeEventFilter(this);
        deleteLater();
        return true;
    }
};

} // namespace

void swallowNextMousePress()
{
    QCoreApplication* application = QCoreApplication::instance();
    auto* swallower = new ClickSwallower;
    swallower->moveToThread(application->thread());
    application->installEventFilter(swallower);
}

} // namespace vantrelle::app
