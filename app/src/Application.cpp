#include "vantrelle/app/Application.h"

#include "vantrelle/app/ErrorHandler.h"

#include <QIcon>

namespace vantrelle::app {

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv)
{
    // The taskbar entry carries the application's title; the desktop finds the entry and icon that are
    // installed under the application's id.
    setApplicationName(applicationTitle(applicationFilePath()));
    setDesktopFileName(QStringLiteral(VANTRELLE_APP_ID));
    setWindowIcon(QIcon::fromTheme(QStringLiteral(VANTRELLE_APP_ID)));
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
