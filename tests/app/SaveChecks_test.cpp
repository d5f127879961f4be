// What "&Save" checks before it writes: a film needs a title, and a new film that the catalogue holds already (by
// title and year) is added only when the user says so.

#include "Catalogue.h"
#include "ModalAnswer.h"
#include "WindowFace.h"
#include "WindowTest.h"

#include "vantrelle/app/DBEdit.h"
#include "vantrelle/app/TForm1.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QtTest>

using namespace vantrelle::app;
using namespace vantrelle::test;

namespace {

const std::vector<Film> twoFilms { { "Alien", 1979 }, { "Brazil", 1985 } };

} // namespace

class SaveChecksTest : public QObject {
    Q_OBJECT

private slots:
    void aFilmWithoutATitleIsRefusedAndStaysOpen_data()
    {
        QTest::addColumn<QString>("title");
        QTest::newRow("no title") << QString();
        QTest::newRow("blanks only") << QStringLiteral("   ");
    }

    void aFilmWithoutATitleIsRefusedAndStaysOpen()
    {
        QFETCH(QString, title);
        Catalogue catalogue(twoFilms);
        auto form = openWindow();
        form->Addnewmovie1->trigger();
        typeInto(form->DBEdit17, QStringLiteral("1999"));
        typeInto(form->DBEdit1, title);
        ModalAnswer answer;
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        QCOMPARE(answer.texts(), QStringList({ QStringLiteral("A film needs a title.") }));
        QCOMPARE(faceOf(*form), addingFace);
        QTRY_COMPARE(form->focusWidget(), form->DBEdit1);
        QCOMPARE(form->DBEdit17->text(), QStringLiteral("1999"));
        QCOMPARE(catalogue.titles(), QStringList({ "Alien", "Brazil" }));
    }

    void aNewFilmAlreadyInTheCatalogueIsAddedOnlyWhenWanted_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("year");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<QStringList>("titles");
        const QString question = QStringLiteral("\"ALIEN\" (1979) is already in the catalogue. Add it anyway?");
        QTest::newRow("the same title and year, kept out")
            << "ALIEN"
            << "1979" << QMessageBox::No << QStringList({ question }) << QStringList({ "Alien", "Brazil" });
        QTest::newRow("the same title and year, added anyway")
            << "ALIEN"
            << "1979" << QMessageBox::Yes << QStringList({ question }) << QStringList({ "Alien", "ALIEN", "Brazil" });
        QTest::newRow("another year is another film")
            << "Alien"
            << "1986" << QMessageBox::No << QStringList() << QStringList({ "Alien", "Alien", "Brazil" });
    }

    void aNewFilmAlreadyInTheCatalogueIsAddedOnlyWhenWanted()
    {
        QFETCH(QString, title);
        QFETCH(QString, year);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(QStringList, asked);
        QFETCH(QStringList, titles);
        Catalogue catalogue(twoFilms);
        auto form = openWindow();
        form->Addnewmovie1->trigger();
        typeInto(form->DBEdit1, title);
        typeInto(form->DBEdit17, year);
        ModalAnswer boxes(answer);
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        QCOMPARE(boxes.texts(), asked);
        QCOMPARE(faceOf(*form), titles.size() == 2 ? addingFace : browsingFace);
        QCOMPARE(catalogue.titles(), titles);
    }

    // Editing a film and saving it again is no second copy of it.
    void anEditedFilmIsNoDuplicateOfItself()
    {
        Catalogue catalogue(twoFilms);
        auto form = openWindow();
        form->Editcurrentmovie1->trigger();
        typeInto(form->DBEdit3, QStringLiteral("Horror"));
        ModalAnswer boxes;
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        QCOMPARE(boxes.texts(), QStringList());
        QCOMPARE(catalogue.column(QStringLiteral("Alien"), QStringLiteral("Genre")), QStringLiteral("Horror"));
    }
};

QTEST_MAIN(SaveChecksTest)
#include "SaveChecks_test.moc"
