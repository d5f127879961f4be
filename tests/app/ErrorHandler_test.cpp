#include "ModalAnswer.h"

#include "vantrelle/Error.h"
#include "vantrelle/app/Application.h"
#include "vantrelle/app/ErrorHandler.h"

#include <QtTest>

using namespace vantrelle::app;
using vantrelle::test::ModalAnswer;

namespace {

// A widget whose event handling fails, as a handler might.
class FailingWidget : public QWidget {
protected:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User)
            throw vantrelle::Error("The handler failed");
        return QWidget::event(event);
    }
};

} // namespace

class ErrorHandlerTest : public QObject {
    Q_OBJECT

private slots:
    void title_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("title");
        QTest::newRow("plain name") << "/usr/bin/vantrelle"
                                    << "Vantrelle";
        QTest::newRow("capitals and extension") << "/opt/VANTRELLE.EXE"
                                                << "Vantrelle";
        QTest::newRow("everything from the first dot goes") << "build/Movie.Cat.bin"
                                                            << "Movie";
        QTest::newRow("dot in the directory only") << "/home/a.b/MixedCase"
                                                   << "Mixedcase";
    }

    void title()
    {
        QFETCH(QString, path);
        QFETCH(QString, title);
        QCOMPARE(applicationTitle(path), title);
    }

    void fullStop_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "Dataset not in edit or insert mode"
                                << "Dataset not in edit or insert mode.";
        QTest::newRow("quote sorts before the stop") << "'x' is not a valid integer value for field 'Year'"
                                                     << "'x' is not a valid integer value for field 'Year'";
        QTest::newRow("digit") << "Error 404"
                               << "Error 404.";
        QTest::newRow("full stop kept") << "Done."
                                        << "Done.";
        QTest::newRow("exclamation sorts before the stop") << "Stop!"
                                                           << "Stop!";
        QTest::newRow("bracket sorts before the stop") << "(see above)"
                                                       << "(see above)";
        QTest::newRow("question mark sorts after it") << "Why?"
                                                      << "Why?.";
        QTest::newRow("empty") << ""
                               << "";
    }

    void fullStop()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(errorBoxText(message.toStdString()), shown);
    }

    void eightBitMessagesAreShownAsWindows1252() { QCOMPARE(errorBoxText("Caf\xe9"), QStringLiteral("Caf\u00e9.")); }

    void guardedShowsTheErrorAndGoesOn()
    {
        ModalAnswer answer;
        bool after = false;
        guarded([] { throw vantrelle::Error("Cannot perform this operation on a closed dataset"); });
        after = true;
        QVERIFY(after);
        QCOMPARE(answer.boxes().size(), std::size_t(1));
        QCOMPARE(answer.boxes().front().text, QStringLiteral("Cannot perform this operation on a closed dataset."));
        QCOMPARE(answer.boxes().front().caption, applicationTitle(QCoreApplication::applicationFilePath()));
        QCOMPARE(answer.boxes().front().icon, QMessageBox::Critical);
        QCOMPARE(answer.boxes().front().buttons, QList<QString>({ "OK" }));
        QVERIFY(answer.boxes().front().applicationModal);
    }

    void nothingThrownInAnEventCrossesTheEventLoop()
    {
        ModalAnswer answer;
        FailingWidget widget;
        QCoreApplication::postEvent(&widget, new QEvent(QEvent::User));
        QTRY_COMPARE(answer.texts(), QStringList({ "The handler failed." }));
    }
};

int main(int argc, char** argv)
{
    Application application(argc, argv);
    ErrorHandlerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ErrorHandler_test.moc"
