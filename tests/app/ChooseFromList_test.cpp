#include "ModalAnswer.h"

#include "vantrelle/app/TForm2.h"

#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QtTest>

#include <functional>

using namespace vantrelle::app;
using vantrelle::test::ModalAnswer;

namespace {

using DialogAction = std::function<void(TForm2*)>;

void pressKey(TForm2* dialog, Qt::Key key)
{
    QTest::keyClick(dialog->focusWidget(), key);
}

void clickLine(TForm2* dialog, int line)
{
    QListWidget* list = dialog->ListBox1;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(line)).center());
}

// What the dialog looked like when it opened, and what ChooseFromList returned.
struct Outcome {
    ChooseFromListResult chosen {};
    QString focusAtStart;
    int linesAtStart = -1;
    int selectedAtStart = -1;
    QSize size;
    bool scrollBarShown = false;
};

Outcome choose(QWidget* owner, const std::vector<std::string>& items, const DialogAction& action)
{
    Outcome outcome;
    ModalAnswer answer(QMessageBox::Ok, [&](QWidget* modal) {
        auto* dialog = qobject_cast<TForm2*>(modal);
        QVERIFY(dialog);
        QTRY_VERIFY(dialog->focusWidget());
        outcome.focusAtStart = dialog->focusWidget()->objectName();
        outcome.linesAtStart = dialog->ListBox1->count();
        outcome.selectedAtStart = dialog->ListBox1->selectedItems().size();
        outcome.size = dialog->size();
        outcome.scrollBarShown = dialog->ListBox1->verticalScrollBar()->isVisible();
        action(dialog);
    });
    outcome.chosen = ChooseFromList(owner, items);
    return outcome;
}

} // namespace

class ChooseFromListTest : public QObject {
    Q_OBJECT

private slots:
    void outcomes_data()
    {
        QTest::addColumn<int>("itemCount");
        QTest::addColumn<DialogAction>("action");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("index");

        QTest::newRow("Enter at once is OK with no line")
            << 3 << DialogAction([](TForm2* d) { pressKey(d, Qt::Key_Return); }) << mrOk << -1;
        QTest::newRow("Escape is Cancel")
            << 3 << DialogAction([](TForm2* d) { pressKey(d, Qt::Key_Escape); }) << mrCancel << -1;
        QTest::newRow("close box is Cancel") << 3 << DialogAction([](TForm2* d) { d->close(); }) << mrCancel << -1;
        QTest::newRow("third line, then OK") << 5 << DialogAction([](TForm2* d) {
            clickLine(d, 2);
            QTest::mouseClick(d->BitBtn1, Qt::LeftButton);
        }) << mrOk << 2;
        QTest::newRow("arrow keys move from the first line, Enter in the list is OK")
            << 5 << DialogAction([](TForm2* d) {
                   d->ListBox1->setFocus();
                   pressKey(d, Qt::Key_Down);
                   pressKey(d, Qt::Key_Down);
                   pressKey(d, Qt::Key_Return);
               })
            << mrOk << 2;
        QTest::newRow("a double-click only selects") << 5 << DialogAction([](TForm2* d) {
            QListWidget* list = d->ListBox1;
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(3)).center());
            QVERIFY(d->isVisible());
            QTest::mouseClick(d->BitBtn1, Qt::LeftButton);
        }) << mrOk << 3;
        QTest::newRow("Enter on the Cancel button is Cancel") << 3 << DialogAction([](TForm2* d) {
            clickLine(d, 1);
            d->BitBtn2->setFocus();
            pressKey(d, Qt::Key_Return);
        }) << mrCancel << -1;
    }

    void outcomes()
    {
        QFETCH(int, itemCount);
        QFETCH(DialogAction, action);
        QFETCH(int, result);
        QFETCH(int, index);

        QWidget owner;
        std::vector<std::string> items;
        for (int i = 0; i < itemCount; ++i)
            items.push_back("Line " + std::to_string(i + 1));
        const Outcome outcome = choose(&owner, items, action);

        QCOMPARE(outcome.chosen.result, result);
        if (result == mrOk)
            QCOMPARE(outcome.chosen.index, index);
        QCOMPARE(outcome.focusAtStart, QStringLiteral("BitBtn1"));
        QCOMPARE(outcome.linesAtStart, itemCount);
        QCOMPARE(outcome.selectedAtStart, 0);
    }

    void layout()
    {
        QWidget owner;
        ModalAnswer answer(QMessageBox::Ok, [&owner](QWidget* modal) {
            auto* dialog = qobject_cast<TForm2*>(modal);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Please select"));
            QCOMPARE(dialog->parentWidget(), &owner);
            QCOMPARE(dialog->Panel1->geometry(), QRect(0, 0, 195, 33));
            QCOMPARE(dialog->BitBtn1->geometry(), QRect(8, 4, 81, 25));
            QCOMPARE(dialog->BitBtn2->geometry(), QRect(104, 4, 83, 25));
            QCOMPARE(dialog->ListBox1->geometry(), QRect(0, 33, 195, 120));
            QCOMPARE(dialog->BitBtn1->text(), QStringLiteral("OK"));
            QCOMPARE(dialog->BitBtn2->text(), QStringLiteral("Cancel"));
            QVERIFY(!dialog->BitBtn1->icon().isNull());
            QVERIFY(!dialog->BitBtn2->icon().isNull());
            QCOMPARE(dialog->Panel1->focusPolicy(), Qt::NoFocus);
            QCOMPARE(dialog->isModal(), true);
            dialog->reject();
        });
        ChooseFromList(&owner, { "a", "b" });
    }

    void manyItemsScrollAndTheDialogKeepsItsSize()
    {
        QWidget owner;
        std::vector<std::string> items(40, "A film title");
        const Outcome outcome = choose(&owner, items, [](TForm2* d) {
            d->ListBox1->setFocus();
            pressKey(d, Qt::Key_End);
            QVERIFY(d->ListBox1->verticalScrollBar()->value() > 0);
            pressKey(d, Qt::Key_Return);
        });
        QCOMPARE(outcome.size, QSize(195, 153));
        QVERIFY(outcome.scrollBarShown);
        QCOMPARE(outcome.chosen.index, 39);
    }

    void theDialogWidensToItsLongestLineWithinTheScreen_data()
    {
        QTest::addColumn<std::string>("line");
        QTest::addColumn<bool>("wider");
        QTest::newRow("short lines keep 195 pixels") << std::string("Alien (1979)") << false;
        QTest::newRow("a long title and its year")
            << std::string("The Extraordinary Adventures of the Harbourmaster's Daughter (1991)") << true;
        QTest::newRow("a line wider than the screen") << std::string(2000, 'W') << true;
    }

    void theDialogWidensToItsLongestLineWithinTheScreen()
    {
        QFETCH(std::string, line);
        QFETCH(bool, wider);
        QWidget owner;
        int textWidth = 0;
        QRect list;
        QRect panel;
        int screenWidth = 0;
        const Outcome outcome = choose(&owner, { "short", line }, [&](TForm2* d) {
            textWidth = d->ListBox1->fontMetrics().horizontalAdvance(QString::fromStdString(line));
            list = d->ListBox1->geometry();
            panel = d->Panel1->geometry();
            screenWidth = d->screen()->availableGeometry().width();
            pressKey(d, Qt::Key_Escape);
        });
        QCOMPARE(outcome.size.height(), 153);
        QCOMPARE(outcome.size.width() > 195, wider);
        QCOMPARE(list.width(), outcome.size.width());
        QCOMPARE(panel.width(), outcome.size.width());
        QVERIFY(outcome.size.width() <= screenWidth);
        if (textWidth < screenWidth - 40)
            QVERIFY2(textWidth + 20 <= list.width(), qPrintable(QString::number(list.width())));
    }

    // The dialog opens over the middle of the window that asks, wherever that window is; the focus is on OK and no
    // line is selected.
    void theDialogOpensCentredOnItsWindow()
    {
        QWidget owner;
        owner.setGeometry(10, 20, 700, 500);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        QRect opened;
        const Outcome outcome = choose(&owner, { "one", "two" }, [&](TForm2* d) {
            opened = d->geometry();
            pressKey(d, Qt::Key_Escape);
        });
        const QPoint offCentre = opened.center() - owner.geometry().center();
        QVERIFY2(offCentre.manhattanLength() <= 4,
            qPrintable(QStringLiteral("%1,%2").arg(offCentre.x()).arg(offCentre.y())));
        QCOMPARE(outcome.focusAtStart, QStringLiteral("BitBtn1"));
        QCOMPARE(outcome.selectedAtStart, 0);
    }

    void everyCallStartsWithAFreshList()
    {
        QWidget owner;
        choose(&owner, { "one", "two", "three" }, [](TForm2* d) {
            clickLine(d, 2);
            pressKey(d, Qt::Key_Return);
        });
        const Outcome second = choose(&owner, { "four" }, [](TForm2* d) { pressKey(d, Qt::Key_Escape); });
        QCOMPARE(second.linesAtStart, 1);
        QCOMPARE(second.selectedAtStart, 0);
        QVERIFY(owner.findChildren<TForm2*>().isEmpty());
    }

    void eightBitTextIsShownAsWindows1252()
    {
        QWidget owner;
        QString shown;
        choose(&owner, { "Am\xe9lie", "Ren\xc3\xa9" }, [&](TForm2* d) {
            shown = d->ListBox1->item(0)->text() + u'|' + d->ListBox1->item(1)->text();
            pressKey(d, Qt::Key_Escape);
        });
        QCOMPARE(shown, QStringLiteral("Am\u00e9lie|Ren\u00e9"));
    }
};

QTEST_MAIN(ChooseFromListTest)
#include "ChooseFromList_test.moc"
