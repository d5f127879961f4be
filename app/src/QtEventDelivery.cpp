#include "vantrelle/app/QtEventDelivery.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThread>

namespace vantrelle::app {

QtEventDelivery::QtEventDelivery()
    : m_context(std::make_unique<QObject>())
{
    if (QCoreApplication* application = QCoreApplication::instance())
        m_context->moveToThread(application->thread());
}

QtEventDelivery::~QtEventDelivery()
{
    // The last owner may be a worker that was left to end by itself: a QObject of another
    // thread is deleted by its own thread's event loop.
    if (!isUiThread() && QCoreApplication::instance())
        m_context.release()->deleteLater();
}

bool QtEventDelivery::isUiThread() const
{
    return QThread::currentThread() == m_context->thread();
}

void QtEventDelivery::runAndWait(const std::function<void()>& call)
{
    if (isUiThread()) {
        call();
        return;
    }
    // The call never throws (EventDelivery::run carries the exception itself), so nothing
    // unwinds through the event loop.
    QMetaObject::invokeMethod(
        m_context.get(), [&call] { call(); }, Qt::BlockingQueuedConnection);
}

} // namespace vantrelle::app
