#pragma once

#include <QMessageBox>
#include <QString>

#include <string>
#include <string_view>

class QWidget;

namespace vantrelle::app {

// The application's title: the executable's file name without its directory and
// without everything from its first "." on, the first character in upper case and every
// other in lower case ("/opt/VANTRELLE.EXE" and "/usr/bin/vantrelle" give "Vantrelle").
QString applicationTitle(const QString& executablePath);
// The running program's title, the caption of every message box.
QString applicationTitle();

// The text of an error box: the message, with a full stop added when its last
// character sorts after ".". The message is the system's 8-bit text.
QString errorBoxText(std::string_view message);

// Shows an application-modal message box with the given icon, the text, one OK
// button and the application's title as caption. Returns when it is closed.
void showMessageBox(QMessageBox::Icon icon, const QString& text, QWidget* parent);

// Shows the error box: an application-modal message box with an error icon, one
// OK button and the application's title as caption. Returns when it is closed.
void showErrorBox(std::string_view message);

// Reports the exception that is being handled (call only inside a catch block).
void reportCurrentException();

// Runs one event handler; whatever it throws is reported in the error box and
// goes no further, so no exception ever crosses Qt's event loop.
template <typename Handler> void guarded(Handler&& handler) noexcept
{
    try {
        handler();
    } catch (...) {
        reportCurrentException();
    }
}

} // namespace vantrelle::app
