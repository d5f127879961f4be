#include "Catalogue.h"
#include "Form1Editing.h"
#include "ModalAnswer.h"
#include "WindowFace.h"
#include "WindowTest.h"

#include "vantrelle/app/DBEdit.h"
#include "vantrelle/app/TForm1.h"

#include <QAction>
#include <QClipboard>
#include <QKeyEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using namespace vantrelle::app;
using namespace vantrelle::test;
using vantrelle::store::qsBrowse;
using vantrelle::store::qsEdit;

class Form1EditingValuesTest : public QObject {
    Q_OBJECT

private slots:
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

QTEST_MAIN(Form1EditingValuesTest)
#include "Form1EditingValues_test.moc"
