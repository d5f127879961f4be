#pragma once

#include <QApplication>

namespace vantrelle::app {

// The program's application object. Handlers guard themselves; this is the last
// net for anything thrown while Qt delivers an event, so no exception ever
// unwinds through the event loop: it is shown in the error box and the program
// goes on.
class Application : public QApplication {
    Q_OBJECT

public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace vantrelle::app
