// The window used without a mouse: the menus' items by their usual keys, the menus by their buttons' mnemonics,
// the list's focus mark, and a window that cannot shrink until controls vanish.

#include "Catalogue.h"
#include "ModalAnswer.h"
#include "WindowFace.h"
#include "WindowTest.h"

#include "vantrelle/app/DBEdit.h"
#include "vantrelle/app/DBGrid.h"
#include "vantrelle/app/DropDownButton.h"
#include "vantrelle/app/TForm1.h"

#include <QAction>
#include <QApplication>
#include <QInputDialog>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace vantrelle::app;
using namespace vantrelle::test;

namespace {

const std::vector<Film> twoFilms { { "Alien", 1979 }, { "Brazil", 1985 } };

// Answers any input box by cancelling it, noting its caption.
std::function<void(QWidget*)> noteInputBox(QStringList& captions)
{
    return [&captions](QWidget* modal) {
        captions << modal->windowTitle();
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
    };
}

} // namespace

class Form1KeyboardTest : public QObject {
    Q_OBJECT

private slots:
    void theItemsHaveTheirUsualKeys_data()
    {
        QTest::addColumn<bool>("adding"); // else browsing
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("faceAfter");
        QTest::addColumn<QStringList>("shown"); // the texts of message boxes and captions of input boxes
        QTest::newRow("Insert adds") << false << QKeySequence(Qt::Key_Insert) << addingFace << QStringList();
        QTest::newRow("Ctrl+N adds") << false << QKeySequence(QKeySequence::New) << addingFace << QStringList();
        QTest::newRow("F2 edits") << false << QKeySequence(Qt::Key_F2) << editingFace << QStringList();
        QTest::newRow("Delete asks to delete") << false << QKeySequence(Qt::Key_Delete) << browsingFace
                                               << QStringList({ "Are you sure you want to delete this movie?" });
        QTest::newRow("Ctrl+L looks up by number")
            << true << QKeySequence(Qt::CTRL | Qt::Key_L) << addingFace << QStringList({ "IMDB Number" });
        QTest::newRow("Ctrl+F searches by name")
            << true << QKeySequence(QKeySequence::Find) << addingFace << QStringList({ "Search by Movie Title" });
        // Each key acts only while its menu could be opened.
        QTest::newRow("no look-up while browsing")
            << false << QKeySequence(Qt::CTRL | Qt::Key_L) << browsingFace << QStringList();
        QTest::newRow("no second add while adding")
            << true << QKeySequence(Qt::Key_Insert) << addingFace << QStringList();
    }

    void theItemsHaveTheirUsualKeys()
    {
        QFETCH(bool, adding);
        QFETCH(QKeySequence, keys);
        QFETCH(QString, faceAfter);
        QFETCH(QStringList, shown);
        Catalogue catalogue(twoFilms);
        auto form = openWindow();
        if (adding)
            form->Addnewmovie1->trigger();
        else
            form->DBGrid1->setFocus();
        QStringList inputBoxes;
        ModalAnswer boxes(QMessageBox::No, noteInputBox(inputBoxes));
        QTest::keySequence(QApplication::focusWidget(), keys);
        QCOMPARE(boxes.texts() + inputBoxes, shown);
        QCOMPARE(faceOf(*form), faceAfter);
        QCOMPARE(catalogue.titles(), QStringList({ "Alien", "Brazil" }));
        QCOMPARE(form->aqMovies->recordCount(), adding || faceAfter == addingFace ? 3 : 2);
    }

    // Alt and the underlined letter open a button's menu with its first item active, so arrows and Enter go on.
    void theMnemonicsOpenTheMenus_data()
    {
        QTest::addColumn<bool>("adding");
        QTest::addColumn<int>("letter");
        QTest::addColumn<QString>("firstItem");
        QTest::newRow("Alt+A") << false << int(Qt::Key_A) << QStringLiteral("Add New Movie..");
        QTest::newRow("Alt+B") << true << int(Qt::Key_B) << QStringLiteral("Enter Number");
    }

    void theMnemonicsOpenTheMenus()
    {
        QFETCH(bool, adding);
        QFETCH(int, letter);
        QFETCH(QString, firstItem);
        Catalogue catalogue(twoFilms);
        auto form = openWindow();
        if (adding)
            form->Addnewmovie1->trigger();
        QString active;
        QTimer::singleShot(200, form.get(), [&active] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                active = menu->activeAction() ? menu->activeAction()->text() : QStringLiteral("none active");
                menu->close();
            }
        });
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(letter), Qt::AltModifier);
        QTRY_COMPARE(active, firstItem);
    }

    // The current line is framed, in the colour of highlighted text, while the list has the focus: the style's own
    // mark (a frame a shade darker than the highlight) could hardly be seen.
    void theListShowsWhereTheFocusIs()
    {
        Catalogue catalogue(twoFilms);
        auto form = openWindow();
        DBGrid* grid = form->DBGrid1;
        const auto framePixels = [grid] {
            const QImage line = grid->viewport()->grab(grid->visualRect(grid->currentIndex())).toImage();
            const QRgb mark = grid->palette().color(QPalette::HighlightedText).rgb();
            int count = 0;
            for (int x = 0; x < line.width(); ++x)
                count += (line.pixel(x, 0) == mark) + (line.pixel(x, line.height() - 1) == mark);
            return count;
        };
        grid->setFocus();
        QTRY_VERIFY(grid->hasFocus());
        QVERIFY2(framePixels() > grid->columnWidth(0) / 2, qPrintable(QString::number(framePixels())));
        form->DBEdit1->setFocus();
        QTRY_VERIFY(!grid->hasFocus());
        QCOMPARE(framePixels(), 0);
    }

    void theWindowDoesNotShrinkUntilControlsVanish()
    {
        Catalogue catalogue(twoFilms);
        auto form = openWindow();
        form->resize(200, 150);
        QTRY_COMPARE(form->size(), QSize(497, 393));
        for (QWidget* control : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!control->isWindow() && control->isVisibleTo(form.get()))
                QVERIFY2(form->rect().contains(control->geometry()), qPrintable(control->objectName()));
        }
    }
};

QTEST_MAIN(Form1KeyboardTest)
#include "Form1Keyboard_test.moc"
