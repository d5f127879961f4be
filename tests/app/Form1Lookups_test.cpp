// Adding films from the title service through the real window: the stand-in service on loopback,
// reached through http_proxy as the program reaches the real one.

#include "Catalogue.h"
#include "ModalAnswer.h"
#include "StandInTitleService.h"
#include "WindowTest.h"

#include "vantrelle/app/DBEdit.h"
#include "vantrelle/app/DropDownButton.h"
#include "vantrelle/app/TForm2.h"
#include "vantrelle/titledata/Import.h"

#include <QAction>
#include <QApplication>
#include <QInputDialog>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace vantrelle;
using vantrelle::test::Catalogue;
using vantrelle::test::ModalAnswer;

namespace {

// Answers the input box with `typed`, and picks line `line` in the "Please select" dialog.
std::function<void(QWidget*)> answerLookup(const QString& caption, const QString& typed, int line = -1)
{
    return [=](QWidget* modal) {
        if (auto* box = qobject_cast<QInputDialog*>(modal)) {
            QCOMPARE(box->windowTitle(), caption);
            box->setTextValue(typed);
            box->accept();
        } else if (auto* dialog = qobject_cast<app::TForm2*>(modal)) {
            dialog->ListBox1->setCurrentRow(line);
            QTest::mouseClick(dialog->BitBtn1, Qt::LeftButton);
        } else {
            QFAIL("an unexpected dialog opened");
        }
    };
}

} // namespace

class Form1LookupsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::StandInTitleService> m_service;

private slots:
    void initTestCase() { m_service = test::startTitleService(); }

    void addsAFilmByNumberAndOneByName()
    {
        Catalogue catalogue(std::vector<test::Film> {});
        auto form = test::openWindow();

        form->Addnewmovie1->trigger();
        {
            ModalAnswer answer(QMessageBox::Ok, answerLookup(QStringLiteral("IMDB Number"), QStringLiteral("0100001")));
            form->SearchByNumber1->trigger();
            QCOMPARE(answer.texts(), QStringList());
        }
        QCOMPARE(form->DBEdit1->text(), QStringLiteral("Harbour Lights"));
        QCOMPARE(form->focusWidget(), form->DBEdit14);
        QCOMPARE(form->CoverExtension, std::string(".jpg"));
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        QCOMPARE(catalogue.titles(), QStringList({ QStringLiteral("Harbour Lights") }));
        QCOMPARE(catalogue.column(QStringLiteral("Harbour Lights"), QStringLiteral("Director")),
            QStringLiteral("Edda Quill"));
        QCOMPARE(catalogue.column(QStringLiteral("Harbour Lights"), QStringLiteral("Year")), QStringLiteral("1987"));
        QCOMPARE(catalogue.column(QStringLiteral("Harbour Lights"), QStringLiteral("Runtime")), QStringLiteral("112"));
        QCOMPARE(catalogue.column(QStringLiteral("Harbour Lights"), QStringLiteral("Character4")),
            QStringLiteral("Harbourmaster"));

        // Two films match: the second is chosen from the list.
        form->Addnewmovie1->trigger();
        {
            ModalAnswer answer(QMessageBox::Ok,
                answerLookup(QStringLiteral("Search by Movie Title"), QStringLiteral("harbour lights"), 1));
            form->SearchByName1->trigger();
            QCOMPARE(answer.texts(), QStringList());
        }
        QCOMPARE(form->focusWidget(), form->DBEdit14);
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        const QString undertow = QStringLiteral("Harbour Lights II: Undertow");
        QCOMPARE(catalogue.titles(), QStringList({ QStringLiteral("Harbour Lights"), undertow }));
        QCOMPARE(catalogue.column(undertow, QStringLiteral("Year")), QStringLiteral("1991"));
        QCOMPARE(catalogue.column(undertow, QStringLiteral("CastMemberName4")), QStringLiteral("Abena Osei"));
    }

    void aSearchByNameWithOneMatchOrNoneAsksNothing()
    {
        Catalogue catalogue(std::vector<test::Film> {});
        auto form = test::openWindow();
        form->Addnewmovie1->trigger();
        {
            // One match: the service redirects to the title page, which is read without a dialog.
            ModalAnswer answer(
                QMessageBox::Ok, answerLookup(QStringLiteral("Search by Movie Title"), QStringLiteral("signal lost")));
            form->SearchByName1->trigger();
            QCOMPARE(answer.texts(), QStringList());
        }
        QCOMPARE(form->DBEdit1->text(), QStringLiteral("Signal Lost"));
        QCOMPARE(form->focusWidget(), form->DBEdit14);
        {
            ModalAnswer answer(
                QMessageBox::Ok, answerLookup(QStringLiteral("Search by Movie Title"), QStringLiteral("zebra")));
            form->SearchByName1->trigger();
            QCOMPARE(answer.texts(), QStringList({ QStringLiteral("No movie by that name have been found!") }));
        }
        QCOMPARE(form->DBEdit1->text(), QStringLiteral("Signal Lost"));
        QCOMPARE(form->aqMovies->state(), store::qsInsert);
    }

    void aCancelledOrUnknownNumberOrAFailureLeavesTheNewRow()
    {
        Catalogue catalogue(std::vector<test::Film> {});
        auto form = test::openWindow();
        form->Addnewmovie1->trigger();
        {
            ModalAnswer answer(QMessageBox::Ok, [](QWidget* modal) {
                auto* box = qobject_cast<QInputDialog*>(modal);
                QVERIFY(box);
                box->setTextValue(QStringLiteral("0100001"));
                box->reject();
            });
            form->SearchByNumber1->trigger();
            QCOMPARE(answer.texts(), QStringList());
        }
        QCOMPARE(form->DBEdit1->text(), QString());
        QCOMPARE(form->focusWidget(), form->DBEdit14);

        // A number the service does not know: its "not found" page writes nothing, and a message says so.
        form->DBEdit1->setFocus();
        {
            ModalAnswer answer(QMessageBox::Ok, answerLookup(QStringLiteral("IMDB Number"), QStringLiteral("9999999")));
            form->SearchByNumber1->trigger();
            QCOMPARE(answer.boxes().size(), std::size_t(1));
            QCOMPARE(answer.boxes()[0].icon, QMessageBox::NoIcon);
            QCOMPARE(answer.texts(), QStringList({ QStringLiteral("No film has the title number 9999999.") }));
        }
        QCOMPARE(form->DBEdit1->text(), QString());
        QCOMPARE(form->DBEdit3->text(), QString());
        QCOMPARE(form->focusWidget(), form->DBEdit14);

        // No service to reach: the error box shows, the focus stays, the row stays being inserted.
        form->TitleLookup1->setProxy("http://127.0.0.1:1");
        form->DBEdit1->setFocus();
        {
            ModalAnswer answer(QMessageBox::Ok, answerLookup(QStringLiteral("IMDB Number"), QStringLiteral("0100001")));
            form->SearchByNumber1->trigger();
            QCOMPARE(answer.boxes().size(), std::size_t(1));
            QCOMPARE(answer.boxes()[0].icon, QMessageBox::Critical);
            QCOMPARE(answer.texts(),
                QStringList({ QStringLiteral("A connection with the server could not be established.") }));
        }
        QCOMPARE(form->DBEdit1->text(), QString());
        QCOMPARE(form->aqMovies->state(), store::qsInsert);
        QCOMPARE(form->focusWidget(), form->DBEdit1);
    }

    void theLookupsCarryTheDataCredit()
    {
        Catalogue catalogue(std::vector<test::Film> {});
        auto form = test::openWindow();
        const QString credit = QString::fromUtf8(titledata::kCreditLine.data())
            + QStringLiteral("\nThis product uses the TMDB API but is not endorsed or certified by TMDB.");
        QCOMPARE(form->BitBtn2->toolTip(), credit);
        QCOMPARE(form->SearchByNumber1->toolTip(), credit);
        QCOMPARE(form->SearchByName1->toolTip(), credit);
        QVERIFY(form->PopupMenu2->toolTipsVisible());
    }
};

QTEST_MAIN(Form1LookupsTest)
#include "Form1Lookups_test.moc"
