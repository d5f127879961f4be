#include "Catalogue.h"
#include "Form1Editing.h"
#include "ModalAnswer.h"
#include "WindowFace.h"
#include "WindowTest.h"

#include "vantrelle/app/DBEdit.h"
#include "vantrelle/app/DBGrid.h"
#include "vantrelle/app/TForm1.h"

#include <QAction>
#include <QPushButton>
#include <QtTest>

using namespace vantrelle::app;
using namespace vantrelle::test;
using vantrelle::store::qsBrowse;
using vantrelle::store::qsInsert;

class Form1EditingTest : public QObject {
    Q_OBJECT

private slots:
    void startsBrowsingOnTheFirstTitle()
    {
        Catalogue catalogue(threeFilms);
        auto form = openWindow();
        QCOMPARE(faceOf(*form), browsingFace);
        QCOMPARE(listedTitles(*form), QStringList({ "Alien", "Brazil", "Zulu" }));
        QCOMPARE(highlightedTitle(*form), QStringLiteral("Alien"));
        QCOMPARE(form->DBEdit1->text(), QStringLiteral("Alien"));
        QCOMPARE(form->DBEdit13->text(), QStringLiteral("117 Mins."));
        QCOMPARE(form->DBEdit17->text(), QStringLiteral("1979"));
        QCOMPARE(form->DBEdit4->toolTip(), QStringLiteral("In space no one can hear you scream."));
    }

    void aLetterInTheTitleBoxChangesNothingWhileBrowsing()
    {
        Catalogue catalogue(threeFilms);
        auto form = openWindow();
        QTest::mouseClick(form->DBEdit1, Qt::LeftButton);
        QTest::keyClicks(form->DBEdit1, "x");
        QTest::keyClick(form->DBEdit1, Qt::Key_Backspace);
        QCOMPARE(form->DBEdit1->text(), QStringLiteral("Alien"));
        QCOMPARE(faceOf(*form), browsingFace);
        QCOMPARE(form->aqMovies->state(), qsBrowse);
    }

    void addAndSave()
    {
        Catalogue catalogue(threeFilms);
        auto form = openWindow();
        form->Addnewmovie1->trigger();
        QCOMPARE(faceOf(*form), addingFace);
        QCOMPARE(QApplication::focusWidget(), form->DBEdit1);
        QCOMPARE(listedTitles(*form).size(), 4);
        QCOMPARE(form->DBEdit4->toolTip(), QString());

        typeInto(form->DBEdit1, "Zardoz");
        typeInto(form->DBEdit17, "1974");
        typeInto(form->DBEdit13, "105");
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);

        QCOMPARE(form->aqMovies->state(), qsBrowse);
        QCOMPARE(faceOf(*form), browsingFace);
        QCOMPARE(listedTitles(*form), QStringList({ "Alien", "Brazil", "Zardoz", "Zulu" }));
        QCOMPARE(highlightedTitle(*form), QStringLiteral("Alien"));
        QCOMPARE(form->DBEdit1->text(), QStringLiteral("Alien"));
        QCOMPARE(catalogue.titles(), QStringList({ "Alien", "Brazil", "Zardoz", "Zulu" }));
        QCOMPARE(catalogue.column("Zardoz", "Year"), QStringLiteral("1974"));
        QCOMPARE(catalogue.column("Zardoz", "Runtime"), QStringLiteral("105"));
        QCOMPARE(catalogue.column("Zardoz", "Genre"), QStringLiteral("NULL"));
    }

    void aButtonThatVanishesUnderTheFocusHandsItToTheList_data()
    {
        QTest::addColumn<bool>("save");
        QTest::newRow("Save") << true;
        QTest::newRow("Cancel") << false;
    }

    void aButtonThatVanishesUnderTheFocusHandsItToTheList()
    {
        QFETCH(bool, save);
        Catalogue catalogue(threeFilms);
        auto form = openWindow();
        form->Editcurrentmovie1->trigger();
        QPushButton* button = save ? form->BitBtn1 : form->BitBtn4;
        button->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), button);
        QTest::keyClick(button, Qt::Key_Space);
        QCOMPARE(form->aqMovies->state(), qsBrowse);
        QCOMPARE(QApplication::focusWidget(), form->DBGrid1);
    }

    void addThenCancel_data()
    {
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("Escape in the title box") << true;
        QTest::newRow("the Cancel button") << false;
    }

    void addThenCancel()
    {
        QFETCH(bool, byEscape);
        Catalogue catalogue(threeFilms);
        auto form = openWindow();
        clickLine(*form, 1);
        QCOMPARE(form->DBEdit1->text(), QStringLiteral("Brazil"));
        form->Addnewmovie1->trigger();
        typeInto(form->DBEdit1, "Solaris");
        if (byEscape)
            QTest::keyClick(form->DBEdit1, Qt::Key_Escape);
        else
            QTest::mouseClick(form->BitBtn4, Qt::LeftButton);

        QCOMPARE(form->aqMovies->state(), qsBrowse);
        QCOMPARE(faceOf(*form), browsingFace);
        QCOMPARE(listedTitles(*form), QStringList({ "Alien", "Brazil", "Zulu" }));
        QCOMPARE(highlightedTitle(*form), QStringLiteral("Brazil"));
        QCOMPARE(form->DBEdit1->text(), QStringLiteral("Brazil"));
        QCOMPARE(catalogue.titles(), QStringList({ "Alien", "Brazil", "Zulu" }));
    }

    void editThenSaveWritesTheChange()
    {
        Catalogue catalogue(threeFilms);
        auto form = openWindow();
        clickLine(*form, 2);
        form->Editcurrentmovie1->trigger();
        QCOMPARE(faceOf(*form), editingFace);
        QCOMPARE(listedTitles(*form).size(), 3);
        typeInto(form->DBEdit13, "140");
        QCOMPARE(form->DBEdit13->text(), QStringLiteral("140"));
        QTest::keyClick(form->DBEdit13, Qt::Key_Tab);
        QCOMPARE(form->DBEdit13->text(), QStringLiteral("140 Mins."));
        QTest::keyClick(form.get(), Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(form->aqMovies->state(), qsBrowse);
        QCOMPARE(faceOf(*form), browsingFace);
        QCOMPARE(catalogue.column("Zulu", "Runtime"), QStringLiteral("140"));
        QCOMPARE(highlightedTitle(*form), QStringLiteral("Alien"));
    }

    void valuesSetByTheProgramShowAtOnce()
    {
        Catalogue catalogue(threeFilms);
        auto form = openWindow();
        form->Addnewmovie1->trigger();
        form->aqMovies->aqMoviesGenre.setAsString("Drama");
        form->aqMovies->aqMoviesRuntime.setAsInteger(95);
        form->aqMovies->aqMoviesNameOfMovie.setAsString("Stalker");
        QCOMPARE(form->DBEdit3->text(), QStringLiteral("Drama"));
        QCOMPARE(form->DBEdit13->text(), QStringLiteral("95 Mins."));
        QCOMPARE(form->DBEdit1->text(), QStringLiteral("Stalker"));
        QCOMPARE(highlightedTitle(*form), QStringLiteral("Stalker"));
    }

    void editOnAnEmptyTableStartsAnAdd()
    {
        Catalogue catalogue(std::vector<Film> {});
        auto form = openWindow();
        QCOMPARE(listedTitles(*form), QStringList());
        QCOMPARE(form->DBEdit1->text(), QString());
        form->Editcurrentmovie1->trigger();
        QCOMPARE(form->aqMovies->state(), qsInsert);
        QCOMPARE(faceOf(*form), addingFace);
        QCOMPARE(QApplication::focusWidget(), form->DBEdit1);
    }

    void deleteAsksFirst_data()
    {
        QTest::addColumn<int>("line");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<QStringList>("titlesAfter");
        QTest::addColumn<QString>("currentAfter");

        QTest::newRow("Yes deletes, the next film is current")
            << 1 << QMessageBox::Yes << QStringList({ "Alien", "Zulu" }) << QStringLiteral("Zulu");
        QTest::newRow("No keeps the table")
            << 1 << QMessageBox::No << QStringList({ "Alien", "Brazil", "Zulu" }) << QStringLiteral("Brazil");
        QTest::newRow("deleting the last film makes the new last one current")
            << 2 << QMessageBox::Yes << QStringList({ "Alien", "Brazil" }) << QStringLiteral("Brazil");
    }

    void deleteAsksFirst()
    {
        QFETCH(int, line);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(QStringList, titlesAfter);
        QFETCH(QString, currentAfter);

        Catalogue catalogue(threeFilms);
        auto form = openWindow();
        clickLine(*form, line);
        ModalAnswer confirm(answer);
        form->Deletecurrentmovie1->trigger();

        QCOMPARE(confirm.boxes().size(), std::size_t(1));
        const SeenMessageBox& box = confirm.boxes().front();
        QCOMPARE(box.caption, QStringLiteral("Confirm delete"));
        QCOMPARE(box.text, QStringLiteral("Are you sure you want to delete this movie?"));
        QCOMPARE(box.icon, QMessageBox::NoIcon);
        QCOMPARE(box.buttons.size(), 2);
        QCOMPARE(box.defaultButton, QStringLiteral("&Yes"));
        QVERIFY(box.applicationModal);

        QCOMPARE(catalogue.titles(), titlesAfter);
        QCOMPARE(listedTitles(*form), titlesAfter);
        QCOMPARE(highlightedTitle(*form), currentAfter);
        QCOMPARE(form->DBEdit1->text(), currentAfter);
        QCOMPARE(faceOf(*form), browsingFace);
    }

    void deletingTheOnlyFilmLeavesAnEmptyWindow()
    {
        Catalogue catalogue({ { "Solaris", 1972, "", 167 } });
        auto form = openWindow();
        ModalAnswer yes(QMessageBox::Yes);
        form->Deletecurrentmovie1->trigger();
        QCOMPARE(catalogue.titles(), QStringList());
        QCOMPARE(listedTitles(*form), QStringList());
        QCOMPARE(form->DBEdit1->text(), QString());
        QCOMPARE(form->DBEdit13->text(), QString());

        form->Deletecurrentmovie1->trigger();
        QCOMPARE(yes.texts(),
            QStringList({ "Are you sure you want to delete this movie?", "Are you sure you want to delete this movie?",
                "Cannot perform this operation on an empty dataset." }));
    }

    void escapeWhileBrowsingRestoresTheBox()
    {
        Catalogue catalogue(threeFilms);
        auto form = openWindow();
        QTest::mouseClick(form->DBEdit4, Qt::LeftButton);
        form->DBEdit4->setText("scribbled over");
        QTest::keyClick(form->DBEdit4, Qt::Key_Escape);
        QCOMPARE(form->DBEdit4->text(), QStringLiteral("In space no one can hear you scream."));
        QCOMPARE(form->DBEdit4->selectedText(), form->DBEdit4->text());
        QCOMPARE(faceOf(*form), browsingFace);
    }

    void escapeWhileEditingCancelsFromAnywhere_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::newRow("a box") << QStringLiteral("DBEdit3");
        QTest::newRow("the list") << QStringLiteral("DBGrid1");
        QTest::newRow("the Quit button") << QStringLiteral("BitBtn3");
    }

    void escapeWhileEditingCancelsFromAnywhere()
    {
        QFETCH(QString, focus);
        Catalogue catalogue(threeFilms);
        auto form = openWindow();
        form->Editcurrentmovie1->trigger();
        typeInto(form->DBEdit1, "Aliens");
        QTest::keyClick(form->DBEdit1, Qt::Key_Tab); // written into the row, not yet posted
        auto* target = form->findChild<QWidget*>(focus);
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Escape);
        QCOMPARE(form->aqMovies->state(), qsBrowse);
        QCOMPARE(faceOf(*form), browsingFace);
        QCOMPARE(form->DBEdit1->text(), QStringLiteral("Alien"));
        QCOMPARE(catalogue.titles(), QStringList({ "Alien", "Brazil", "Zulu" }));
    }

    void pickingAFilmWhileEditing_data()
    {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("faceAfter");
        QTest::addColumn<QStringList>("titlesAfter");
        QTest::addColumn<QString>("currentAfter");
        QTest::newRow("another film, changed: saved, the saved film current")
            << true << 2 << browsingFace << QStringList({ "Brazil", "Zulu", "Zz Top" }) << QStringLiteral("Zz Top");
        QTest::newRow("another film, unchanged: cancelled, the picked film current")
            << false << 2 << browsingFace << QStringList({ "Alien", "Brazil", "Zulu" }) << QStringLiteral("Zulu");
        QTest::newRow("the current line again: the edit goes on")
            << true << 0 << editingFace << QStringList({ "Alien", "Brazil", "Zulu" }) << QStringLiteral("Zz Top");
    }

    void pickingAFilmWhileEditing()
    {
        QFETCH(bool, changed);
        QFETCH(int, line);
        QFETCH(QString, faceAfter);
        QFETCH(QStringList, titlesAfter);
        QFETCH(QString, currentAfter);
        Catalogue catalogue(threeFilms);
        auto form = openWindow();
        form->Editcurrentmovie1->trigger();
        if (changed)
            typeInto(form->DBEdit1, "Zz Top");
        clickLine(*form, line);
        QCOMPARE(faceOf(*form), faceAfter);
        QCOMPARE(catalogue.titles(), titlesAfter);
        QCOMPARE(highlightedTitle(*form), currentAfter);
        QCOMPARE(form->DBEdit1->text(), currentAfter);
    }

    void theTaglineHintFollowsTheCurrentFilm()
    {
        const std::string tagline(200, 'T');
        Catalogue catalogue({ { "Alien", 1979, "", 117 }, { "Brazil", 1985, tagline, 142 } });
        auto form = openWindow();
        QCOMPARE(form->DBEdit4->toolTip(), QString());
        QTest::keyClick(form->DBGrid1, Qt::Key_Down);
        QCOMPARE(highlightedTitle(*form), QStringLiteral("Brazil"));
        QCOMPARE(form->DBEdit4->toolTip(), QString::fromStdString(tagline));
        QTest::keyClick(form->DBGrid1, Qt::Key_Home);
        QCOMPARE(form->DBEdit4->toolTip(), QString());
    }

    // Another program changed the film: the refusal offers to reload it; No keeps the edit, Yes shows the stored film.
};

QTEST_MAIN(Form1EditingTest)
#include "Form1Editing_test.moc"
