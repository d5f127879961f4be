#include "Catalogue.h"
#include "ModalAnswer.h"
#include "WindowFace.h"
#include "WindowTest.h"

#include "vantrelle/app/DBEdit.h"
#include "vantrelle/app/DBGrid.h"
#include "vantrelle/app/DropDownButton.h"
#include "vantrelle/app/ErrorHandler.h"
#include "vantrelle/app/TForm1.h"
#include "vantrelle/store/ConnectionString.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QKeyEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using namespace vantrelle::app;
using namespace vantrelle::test;
using vantrelle::store::qsBrowse;
using vantrelle::store::qsClosed;
using vantrelle::store::qsEdit;
using vantrelle::store::qsInsert;

namespace {

const std::vector<Film> threeFilms {
    { "Zulu", 1964, "Dwarfing the mightiest!", 138 },
    { "Alien", 1979, "In space no one can hear you scream.", 117 },
    { "Brazil", 1985, "", 142 },
};

QString errorCaption()
{
    return applicationTitle(QCoreApplication::applicationFilePath());
}

void clickLine(TForm1& form, int row)
{
    DBGrid* grid = form.DBGrid1;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(row, 0)).center());
}

} // namespace

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

    void lettersAreRefusedInTheYearBox_data()
    {
        QTest::addColumn<bool>("editing");
        QTest::addColumn<QString>("textAfter");
        QTest::newRow("browsing") << false << QStringLiteral("1979");
        QTest::newRow("editing") << true << QStringLiteral("-19+7");
    }

    void lettersAreRefusedInTheYearBox()
    {
        QFETCH(bool, editing);
        QFETCH(QString, textAfter);
        Catalogue catalogue(threeFilms);
        auto form = openWindow();
        if (editing)
            form->Editcurrentmovie1->trigger();
        QTest::mouseClick(form->DBEdit17, Qt::LeftButton);
        form->DBEdit17->selectAll();
        if (editing)
            QTest::keyClick(form->DBEdit17, Qt::Key_Delete);
        QSignalSpy refused(form->DBEdit17, &DBEdit::keyRefused);
        QTest::keyClicks(form->DBEdit17, "-1a9 +x7.");
        // A letter with Alt that is no shortcut, as a keyboard sends it.
        QKeyEvent altQ(QEvent::KeyPress, Qt::Key_Q, Qt::AltModifier, QStringLiteral("q"));
        QApplication::sendEvent(form->DBEdit17, &altQ);
        QCOMPARE(refused.count(), 5);
        QCOMPARE(form->DBEdit17->text(), textAfter);

        // A text box takes every character.
        QSignalSpy textRefused(form->DBEdit3, &DBEdit::keyRefused);
        QTest::keyClicks(form->DBEdit3, "a1");
        QCOMPARE(textRefused.count(), 0);
    }

    void aFailedIntegerWriteKeepsTheEdit_data()
    {
        QTest::addColumn<bool>("byMouse");
        QTest::newRow("Save clicked") << true;
        QTest::newRow("Alt+S") << false;
    }

    void aFailedIntegerWriteKeepsTheEdit()
    {
        QFETCH(bool, byMouse);
        Catalogue catalogue(threeFilms);
        auto form = openWindow();
        form->Editcurrentmovie1->trigger();
        typeInto(form->DBEdit1, "Alien 2");
        typeInto(form->DBEdit17, "19-99");
        {
            ModalAnswer ok;
            if (byMouse) {
                QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
            } else {
                QTest::keyClick(form->DBEdit17, Qt::Key_S, Qt::AltModifier);
                QTRY_COMPARE(ok.boxes().size(), std::size_t(1));
            }
            QTest::qWait(150); // a click or shortcut that should not come
            QCOMPARE(ok.texts(), QStringList({ "'19-99' is not a valid integer value for field 'Year'" }));
            QCOMPARE(ok.boxes().front().caption, errorCaption());
            QCOMPARE(ok.boxes().front().icon, QMessageBox::Critical);
        }
        QCOMPARE(form->aqMovies->state(), qsEdit);
        QCOMPARE(faceOf(*form), editingFace);
        QCOMPARE(form->focusWidget(), form->DBEdit17);
        QCOMPARE(form->DBEdit17->selectedText(), QStringLiteral("19-99"));
        QCOMPARE(form->DBEdit1->text(), QStringLiteral("Alien 2"));
        QCOMPARE(catalogue.titles(), QStringList({ "Alien", "Brazil", "Zulu" }));

        // Corrected, the save goes through.
        QTest::keyClicks(form->DBEdit17, "1999");
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        QCOMPARE(form->aqMovies->state(), qsBrowse);
        QCOMPARE(catalogue.column("Alien 2", "Year"), QStringLiteral("1999"));
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
            QStringList({ "Another program changed this movie after the list was read; the changes were not saved.\n"
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
    void aTextIsCutToItsColumnsSizeAtACharacterBoundary_data()
    {
        const QString emoji = QString::fromUtf8("\xF0\x9F\x8E\xAC"); // U+1F3AC, the clapper board
        QTest::addColumn<bool>("tagline"); // else the title
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("cursor"); // -1: at the end
        QTest::addColumn<QString>("pasted"); // "x": typed instead
        QTest::addColumn<QString>("stored");
        const QString a49(49, u'a'), a50(50, u'a');
        QTest::newRow("an emoji as the 50th character") << false << a49 << -1 << emoji << a49 + emoji;
        QTest::newRow("an emoji past the 50th") << false << a50 << -1 << emoji << a50;
        QTest::newRow("a paste cut after its first character")
            << false << QString(48, u'a') << -1 << u'b' + emoji + emoji << QString(48, u'a') + u'b' + emoji;
        QTest::newRow("a paste cut where it would halve an emoji")
            << false << a49 << -1 << emoji + QStringLiteral("bc") << a49 + emoji;
        QTest::newRow("typing into the middle of a full box") << false << a50 << 10 << QStringLiteral("x") << a50;
        QTest::newRow("typing before an emoji") << false << a49 + emoji << 0 << QStringLiteral("x") << a49 + emoji;
        QTest::newRow("fifty emoji: a hundred units")
            << false << QString() << -1 << emoji.repeated(51) << emoji.repeated(50);
        QTest::newRow("a tagline holds 200")
            << true << QString(199, u'a') << -1 << emoji + QStringLiteral("b") << QString(199, u'a') + emoji;
    }

    void aTextIsCutToItsColumnsSizeAtACharacterBoundary()
    {
        QFETCH(bool, tagline);
        QFETCH(QString, before);
        QFETCH(int, cursor);
        QFETCH(QString, pasted);
        QFETCH(QString, stored);
        Catalogue catalogue(std::vector<Film> {});
        auto form = openWindow();
        form->Addnewmovie1->trigger();
        typeInto(form->DBEdit1, "T");
        DBEdit* box = tagline ? form->DBEdit4 : form->DBEdit1;
        typeInto(box, "x");
        box->setText(before);
        box->setModified(true);
        box->setCursorPosition(cursor < 0 ? int(before.size()) : cursor);
        if (pasted == QStringLiteral("x")) {
            QTest::keyClick(box, Qt::Key_X);
        } else {
            QApplication::clipboard()->setText(pasted);
            QTest::keySequence(box, QKeySequence::Paste);
        }
        QCOMPARE(box->text(), stored);
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        const QString title = tagline ? QStringLiteral("T") : stored;
        QCOMPARE(catalogue.titles(), QStringList({ title }));
        if (tagline)
            QCOMPARE(catalogue.column(title, QStringLiteral("Tagline")), stored);
    }

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
            QStringLiteral("\nThe column Year of the movie with ID 3, \"Brazil\", holds '19x9', which is not a "
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

    void aLongTextShowsItsBeginningWithoutTheFocus_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("the first film at start-up") << "start";
        QTest::newRow("a film picked in the list") << "pick";
        QTest::newRow("typed, then left") << "type";
        QTest::newRow("the caret put at the end, then left") << "end";
        QTest::newRow("set by the program") << "program";
        QTest::newRow("after a save") << "save";
    }

    // A line edit keeps its caret in view, so a caret at the start shows the beginning of a text longer than the box.
    void aLongTextShowsItsBeginningWithoutTheFocus()
    {
        QFETCH(QString, how);
        const QString longTitle = QStringLiteral("A TITLE FAR TOO WIDE FOR THE BOX THAT SHOWS IT!!");
        const QString longTagline = QStringLiteral(
            "A tagline that goes on and on and on, far beyond the end of its box, and then some more, until it stops");
        Catalogue catalogue({ { "Brazil" }, { longTitle.toStdString(), 1985, longTagline.toStdString() } });
        auto form = openWindow();
        if (how == QLatin1String("pick")) {
            clickLine(*form, 1);
            clickLine(*form, 0);
        } else if (how == QLatin1String("type") || how == QLatin1String("save")) {
            form->Editcurrentmovie1->trigger();
            typeInto(form->DBEdit1, longTitle);
            typeInto(form->DBEdit4, longTagline);
            QTest::keyClick(form->DBEdit4, Qt::Key_Tab);
            if (how == QLatin1String("save"))
                QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        } else if (how == QLatin1String("end")) {
            form->Editcurrentmovie1->trigger();
            for (DBEdit* box : { form->DBEdit1, form->DBEdit4 }) {
                QTest::mouseClick(box, Qt::LeftButton);
                QTest::keyClick(box, Qt::Key_End);
            }
            QTest::keyClick(form->DBEdit4, Qt::Key_Tab);
        } else if (how == QLatin1String("program")) {
            form->Editcurrentmovie1->trigger();
            form->DBEdit2->setFocus(Qt::TabFocusReason);
            form->aqMovies->aqMoviesNameOfMovie.setAsString(longTitle.toStdString());
            form->aqMovies->aqMoviesTagline.setAsString(longTagline.toStdString());
        }
        QCOMPARE(form->aqMovies->aqMoviesNameOfMovie.asString(), longTitle.toStdString());
        form->grab().save(QStringLiteral(VANTRELLE_APP_ARTIFACTS_DIR "/long-texts-%1.png").arg(how));
        for (DBEdit* box : { form->DBEdit1, form->DBEdit4 }) {
            QVERIFY(!box->hasFocus());
            QCOMPARE(box->text(), box == form->DBEdit1 ? longTitle : longTagline);
            QVERIFY2(box->fontMetrics().horizontalAdvance(box->text()) > box->width(), "the text fits the box");
            QCOMPARE(box->cursorPosition(), 0);
        }
    }
};

QTEST_MAIN(Form1EditingTest)
#include "Form1Editing_test.moc"
