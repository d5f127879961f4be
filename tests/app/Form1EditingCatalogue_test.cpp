#include "Catalogue.h"
#include "Form1Editing.h"
#include "ModalAnswer.h"
#include "WindowFace.h"
#include "WindowTest.h"

#include "vantrelle/app/DBEdit.h"
#include "vantrelle/app/DBGrid.h"
#include "vantrelle/app/TForm1.h"
#include "vantrelle/store/ConnectionString.h"

#include <QAction>
#include <QDir>
#include <QPushButton>
#include <QtTest>

using namespace vantrelle::app;
using namespace vantrelle::test;
using vantrelle::store::qsBrowse;
using vantrelle::store::qsClosed;
using vantrelle::store::qsEdit;

class Form1EditingCatalogueTest : public QObject {
    Q_OBJECT

private slots:
    void aSaveRefusedForAnotherProgramsChangeOffersToReload_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("No: the edit goes on") << int(QMessageBox::No);
        QTest::newRow("Yes: the stored film") << int(QMessageBox::Yes);
    }

    void aSaveRefusedForAnotherProgramsChangeOffersToReload()
    {
        QFETCH(int, answer);
        const bool reload = answer == QMessageBox::Yes;
        Catalogue catalogue(threeFilms);
        auto form = openWindow();
        QTest::keyClick(form->DBGrid1, Qt::Key_Down); // Brazil: not the first film
        form->Editcurrentmovie1->trigger();
        typeInto(form->DBEdit1, "Brazil 2");
        typeInto(form->DBEdit17, "1986");
        catalogue.execute("UPDATE Movies SET Year = 1980 WHERE NameOfMovie = 'Brazil'"); // another program
        ModalAnswer boxes(static_cast<QMessageBox::StandardButton>(answer));
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);

        QCOMPARE(boxes.texts(),
            QStringList({ "Another program changed this film after the list was read; the changes were not saved.\n"
                          "Reload the film as it is stored now? Your changes to it will be lost." }));
        QCOMPARE(boxes.boxes().front().icon, QMessageBox::Warning);
        QCOMPARE(catalogue.titles(), QStringList({ "Alien", "Brazil", "Zulu" }));
        QCOMPARE(catalogue.column("Brazil", "Year"), QStringLiteral("1980"));
        QCOMPARE(faceOf(*form), reload ? browsingFace : editingFace);
        QCOMPARE(form->DBEdit1->text(), reload ? QStringLiteral("Brazil") : QStringLiteral("Brazil 2"));
        QCOMPARE(form->DBEdit17->text(), reload ? QStringLiteral("1980") : QStringLiteral("1986"));
        if (!reload) {
            QTest::mouseClick(form->BitBtn4, Qt::LeftButton);
            QCOMPARE(faceOf(*form), browsingFace);
            return;
        }
        // Read anew, the film saves.
        form->Editcurrentmovie1->trigger();
        typeInto(form->DBEdit17, "1986");
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        QCOMPARE(boxes.texts().size(), 1);
        QCOMPARE(catalogue.column("Brazil", "Year"), QStringLiteral("1986"));
    }

    // Said in the title bar; Add, Edit and Delete refuse at once, whether chosen from the menu or by their keys.
    void aReadOnlyCatalogueSaysSoAndRefusesChanges()
    {
        Catalogue catalogue(threeFilms);
        const QString file = QDir::current().filePath(QStringLiteral("Movies.mdb"));
        TForm1 form(vantrelle::store::connectionStringFor(file.toStdString()) + "; ReadOnly=1");
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(form.windowTitle(), QStringLiteral("Vantrelle (read-only)"));
        const QString refusal
            = QStringLiteral("The catalogue \"%1\" is read-only: films cannot be added, edited or deleted.").arg(file);
        ModalAnswer boxes(QMessageBox::Yes);
        form.DBGrid1->setFocus();
        QTest::keyClick(form.DBGrid1, Qt::Key_Insert);
        form.Addnewmovie1->trigger();
        form.Editcurrentmovie1->trigger();
        form.Deletecurrentmovie1->trigger();
        QCOMPARE(boxes.texts(), QStringList(4, refusal));
        QCOMPARE(boxes.boxes()[0].icon, QMessageBox::Critical);
        QCOMPARE(faceOf(form), browsingFace);
        QCOMPARE(catalogue.titles(), QStringList({ "Alien", "Brazil", "Zulu" }));
    }

    void closingWhileAddingAsksFirst_data()
    {
        QTest::addColumn<bool>("adding");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("byQuit"); // else as the title bar's close does
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QStringList>("titlesAfter");
        const QStringList before { "Alien", "Brazil", "Zulu" };
        const QStringList saved { "Alien", "Brazil", "Solaris", "Zulu" };
        QTest::newRow("Save") << true << int(QMessageBox::Save) << true << true << saved;
        QTest::newRow("Discard") << true << int(QMessageBox::Discard) << false << true << before;
        QTest::newRow("Cancel: still adding") << true << int(QMessageBox::Cancel) << true << false << before;
        QTest::newRow("browsing: no question") << false << int(QMessageBox::Cancel) << false << true << before;
    }

    void closingWhileAddingAsksFirst()
    {
        QFETCH(bool, adding);
        QFETCH(int, answer);
        QFETCH(bool, byQuit);
        QFETCH(bool, closed);
        QFETCH(QStringList, titlesAfter);
        Catalogue catalogue(threeFilms);
        auto form = openWindow();
        if (adding) {
            form->Addnewmovie1->trigger();
            typeInto(form->DBEdit1, "Solaris");
        }
        ModalAnswer boxes(static_cast<QMessageBox::StandardButton>(answer));
        if (byQuit)
            QTest::mouseClick(form->BitBtn3, Qt::LeftButton);
        else
            form->close();
        QCOMPARE(boxes.texts(), adding ? QStringList({ "Save changes to this film?" }) : QStringList());
        if (adding) {
            QStringList buttons = boxes.boxes()[0].buttons;
            buttons.sort();
            QCOMPARE(buttons, QStringList({ "Cancel", "Discard", "Save" }));
            QCOMPARE(boxes.boxes()[0].defaultButton, QStringLiteral("Save"));
        }
        QCOMPARE(form->isVisible(), !closed);
        QCOMPARE(catalogue.titles(), titlesAfter);
        if (!closed) {
            QCOMPARE(faceOf(*form), addingFace);
            QCOMPARE(form->DBEdit1->text(), QStringLiteral("Solaris"));
        }
    }

    void aSaveFromTheCloseQuestionThatFailsKeepsTheWindow()
    {
        Catalogue catalogue(threeFilms);
        auto form = openWindow();
        form->Editcurrentmovie1->trigger();
        typeInto(form->DBEdit17, "19-99");
        ModalAnswer boxes(QMessageBox::Save);
        form->close();
        QCOMPARE(boxes.texts().size(), 2);
        QCOMPARE(boxes.texts()[1], QStringLiteral("'19-99' is not a valid integer value for field 'Year'"));
        QVERIFY(form->isVisible());
        QCOMPARE(form->aqMovies->state(), qsEdit);
    }

    // The column counts characters; an emoji takes two UTF-16 units and is never cut in two.
    void unreadableValuesAreReportedOnceTheWindowIsOpen()
    {
        Catalogue catalogue(threeFilms);
        catalogue.execute("UPDATE Movies SET Year = '19x9' WHERE NameOfMovie = 'Brazil'");
        ModalAnswer answer;
        auto form = std::make_unique<TForm1>();
        QCOMPARE(answer.boxes().size(), std::size_t(0)); // not while the window is being made
        form->show();
        QTRY_COMPARE(answer.boxes().size(), std::size_t(1));
        QCOMPARE(answer.boxes().front().caption, errorCaption());
        QCOMPARE(answer.boxes().front().icon, QMessageBox::Critical);
        QVERIFY(answer.boxes().front().text.endsWith(
            QStringLiteral("\nThe column Year of the film with ID 3, \"Brazil\", holds '19x9', which is not a "
                           "32-bit integer.")));
        QCOMPARE(listedTitles(*form), QStringList({ "Alien", "Brazil", "Zulu" }));
        clickLine(*form, 1);
        QCOMPARE(form->DBEdit17->text(), QString());
        QCOMPARE(faceOf(*form), browsingFace);

        // A save reopens the catalogue: the same warning is not shown again.
        form->Editcurrentmovie1->trigger();
        typeInto(form->DBEdit3, "Satire");
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        QTRY_COMPARE(form->aqMovies->state(), qsBrowse);
        QTest::qWait(50);
        QCOMPARE(answer.boxes().size(), std::size_t(1));
        QCOMPARE(catalogue.column("Brazil", "Year"), QStringLiteral("19x9"));
    }

    void withoutACatalogueTheWindowStillOpens()
    {
        Catalogue noFile = Catalogue::withoutFile();
        ModalAnswer answer(QMessageBox::Yes);
        auto form = openWindow();
        QCOMPARE(answer.boxes().size(), std::size_t(1));
        QCOMPARE(answer.boxes().front().caption, errorCaption());
        QCOMPARE(answer.boxes().front().icon, QMessageBox::Critical);
        QVERIFY(answer.boxes().front().text.contains(QStringLiteral("Movies.mdb")));
        QCOMPARE(form->aqMovies->state(), qsClosed);
        QCOMPARE(faceOf(*form), browsingFace);
        QCOMPARE(listedTitles(*form), QStringList());

        form->Addnewmovie1->trigger();
        form->Editcurrentmovie1->trigger();
        form->Deletecurrentmovie1->trigger();
        const QString closed = QStringLiteral("Cannot perform this operation on a closed dataset.");
        QCOMPARE(answer.texts().mid(1),
            QStringList({ closed, closed, "Are you sure you want to delete this movie?", closed }));
        QCOMPARE(faceOf(*form), browsingFace);

        QTest::mouseClick(form->BitBtn3, Qt::LeftButton);
        QVERIFY(!form->isVisible());
    }
};

QTEST_MAIN(Form1EditingCatalogueTest)
#include "Form1EditingCatalogue_test.moc"
