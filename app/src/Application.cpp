#include "vantrelle/app/Application.h"

#include "vantrelle/app/ErrorHandler.h"

namespace vantrelle::app {

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv)
{
    // The taskbar entry carries the application's title.
    setApplicationName(applicationTitle(applicationFilePath()));
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportCurrentException();
        return false;
    }
}

} // namespace vantrelle::app
